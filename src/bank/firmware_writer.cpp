// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/firmware_writer.h"

#include <algorithm>
#include <cstdint>

#include "bank/firmware_reader.h"
#include "bank/list_operations.h"
#include "bank/re_exchange.h"
#include "formats/dword.h"

namespace belltower::bank {
namespace {

// Index fields are compared and shown as the four bytes stand; a record from an RE file may
// carry one above 2147483647, which a signed reading would show negative.
std::uint32_t IndexField(ByteView record) {
    return formats::BigEndianAt(record, 0);
}

std::size_t NewChainEnd(const ToneBank& bank) {
    return bank.FirmwareHead.size() + ToneChunkLength(bank.Records) + bank.FirmwareMiddle.size();
}

}  // namespace

Bytes ChunkChecksum(ByteView data) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i + 4 <= data.size(); i += 4) {
        sum += formats::BigEndianAt(data, i);
    }
    return Bytes{static_cast<std::uint8_t>(sum >> 24), static_cast<std::uint8_t>(sum >> 16),
                 static_cast<std::uint8_t>(sum >> 8), static_cast<std::uint8_t>(sum)};
}

std::size_t ToneChunkLength(std::span<const Bytes> records) {
    std::size_t length = kToneChunkHeaderSize + kEndRecordSize;
    for (const Bytes& record : records) {
        length += record.size();
    }
    return length;
}

Bytes BuildToneChunk(std::span<const Bytes> records) {
    const std::size_t length = ToneChunkLength(records);
    Bytes chunk;
    chunk.reserve(length);
    chunk.resize(4);  // checksum, filled in last
    formats::Append(chunk, formats::NumberToDword(static_cast<std::int64_t>(length)));
    formats::Append(chunk, formats::ToBytes("TONEversion"));
    chunk.push_back(0);
    for (const Bytes& record : records) {
        formats::Append(chunk, record);
    }
    // End record: index 0, length 16, eight zero bytes.
    formats::Append(chunk, formats::NumberToDword(0));
    formats::Append(chunk, formats::NumberToDword(static_cast<std::int64_t>(kEndRecordSize)));
    chunk.resize(chunk.size() + 8, 0);
    const Bytes checksum = ChunkChecksum(ByteView(chunk).subspan(4));
    std::copy(checksum.begin(), checksum.end(), chunk.begin());
    return chunk;
}

SavedImage::SavedImage(const ToneBank& bank) : chunk_(BuildToneChunk(bank.Records)) {
    if (!bank.FirmwareLoaded) {
        pieces_ = {chunk_};
        return;
    }
    pieces_ = {bank.FirmwareHead, chunk_, bank.FirmwareMiddle};
    const std::size_t newEnd = bank.FirmwareHead.size() + chunk_.size() + bank.FirmwareMiddle.size();
    const ByteView tail = bank.FirmwareTail;
    if (newEnd > bank.ChainEnd) {
        // The chain grew: the tail bytes it covers are gone, the rest stay where they were.
        const std::size_t covered = newEnd - bank.ChainEnd;
        if (covered < tail.size()) {
            pieces_.push_back(tail.subspan(covered));
        }
    } else {
        // The chain shrank: erased flash (0xFF) up to the old chain end, then the tail.
        fill_.assign(bank.ChainEnd - newEnd, 0xFF);
        pieces_.emplace_back(fill_);
        pieces_.push_back(tail);
    }
}

Bytes BuildFirmwareImage(const ToneBank& bank) {
    const SavedImage saved(bank);
    Bytes image;
    std::size_t size = 0;
    for (const ByteView piece : saved.Pieces()) {
        size += piece.size();
    }
    image.reserve(size);
    for (const ByteView piece : saved.Pieces()) {
        formats::Append(image, piece);
    }
    return image;
}

ChainFit FitChain(const ToneBank& bank) {
    ChainFit fit;
    if (!bank.FirmwareLoaded) {
        return fit;
    }
    const std::size_t newEnd = NewChainEnd(bank);
    if (newEnd <= bank.ChainEnd) {
        fit.freed = bank.ChainEnd - newEnd;
        return fit;
    }
    const std::size_t grown = newEnd - bank.ChainEnd;
    fit.overwritten = std::min(grown, bank.FirmwareTail.size());
    fit.overwrittenData = static_cast<std::size_t>(std::count_if(
        bank.FirmwareTail.begin(), bank.FirmwareTail.begin() + static_cast<std::ptrdiff_t>(fit.overwritten),
        [](std::uint8_t b) { return b != 0xFF; }));
    fit.grownBy = grown - fit.overwritten;
    return fit;
}

std::optional<std::size_t> FreeToneRoom(const ToneBank& bank) {
    if (!bank.FirmwareLoaded) {
        return std::nullopt;
    }
    const auto data =
        std::find_if(bank.FirmwareTail.begin(), bank.FirmwareTail.end(), [](std::uint8_t b) { return b != 0xFF; });
    const std::size_t limit = bank.ChainEnd + static_cast<std::size_t>(data - bank.FirmwareTail.begin());
    const std::size_t newEnd = NewChainEnd(bank);
    return limit > newEnd ? limit - newEnd : 0;
}

formats::Result<RecordRoom> RoomForRecord(const ToneBank& bank, ByteView record) {
    const std::optional<std::size_t> free = FreeToneRoom(bank);
    if (!free) {
        return formats::MakeError(formats::ErrorCode::BadInput, "No firmware image is loaded.");
    }
    const formats::Result<Bytes> converted = ConvertRecord(record, bank.UnicodeNames);
    if (!converted) {
        return converted.error();
    }
    RecordRoom room{*free, converted->size(), true, {}};
    if (bank.Count() >= kMaxRecordsEdited) {
        room.problems.emplace_back(kBankFull);
    }
    if (room.recordBytes > room.freeBytes) {
        room.problems.push_back("The melody record takes " + std::to_string(room.recordBytes) +
                                " bytes; the TONE chunk has " + std::to_string(room.freeBytes) + " bytes free.");
    }
    room.fits = room.problems.empty();
    return room;
}

std::vector<SaveWarning> CheckUniqueIndexes(const ToneBank& bank) {
    std::vector<SaveWarning> warnings;
    const std::size_t n = bank.Count();
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = i + 1; j < n; ++j) {
            const std::uint32_t index = IndexField(bank.Records[i]);
            if (index == IndexField(bank.Records[j])) {
                warnings.push_back(SaveWarning{bank.Lines[j] + " has the same index" + " " + std::to_string(index) +
                                                   " as " + bank.Lines[i] + ". Please correct it.",
                                               WarningIcon::Exclamation, WarningButtons::OkCancel,
                                               CancelEffect::EndIndexCheck});
            }
        }
    }
    return warnings;
}

std::vector<SaveWarning> SaveWarnings(const ToneBank& bank) {
    std::vector<SaveWarning> warnings;
    if (!bank.IsUnicode() && bank.Count() > kMaxAsciiMelodiesAdvised) {
        warnings.push_back(
            SaveWarning{std::string(kTooManyMelodies), WarningIcon::None, WarningButtons::Ok, CancelEffect::None});
    }
    if (!bank.FirmwareLoaded) {
        warnings.push_back(SaveWarning{std::string(kNoFirmwareLoaded), WarningIcon::Exclamation, WarningButtons::Ok,
                                       CancelEffect::None});
    }
    if (bank.IsUnicode() && bank.Count() == 0) {
        warnings.push_back(
            SaveWarning{std::string(kEmptyUnicodeBank), WarningIcon::None, WarningButtons::Ok, CancelEffect::None});
    }
    auto indexWarnings = CheckUniqueIndexes(bank);
    warnings.insert(warnings.end(), std::make_move_iterator(indexWarnings.begin()),
                    std::make_move_iterator(indexWarnings.end()));

    // Behind the chunk chain the flash may hold other data: a grown chain that covers it, or
    // an image longer than the flash, may leave the phone unable to start.
    const ChainFit fit = FitChain(bank);
    if (fit.overwrittenData > 0 || fit.grownBy > 0) {
        std::string text = "The melodies need " + std::to_string(fit.overwritten + fit.grownBy) +
                           " bytes more than the TONE chunk of the loaded image had.";
        if (fit.overwrittenData > 0) {
            text += " Saving overwrites " + std::to_string(fit.overwritten) + " bytes behind the chunk chain, " +
                    std::to_string(fit.overwrittenData) + " of which hold data (not 0xFF).";
        }
        if (fit.grownBy > 0) {
            text += " The saved image will be " + std::to_string(fit.grownBy) + " bytes longer than the loaded one.";
        }
        text += " Such an image may not work in the phone. Save anyway?";
        warnings.push_back(
            SaveWarning{std::move(text), WarningIcon::Exclamation, WarningButtons::OkCancel, CancelEffect::AbortSave});
    }
    return warnings;
}

bool ConfirmSave(const std::vector<SaveWarning>& warnings, const std::function<bool(const SaveWarning&)>& ask) {
    bool indexCheckEnded = false;
    for (const SaveWarning& warning : warnings) {
        if (indexCheckEnded && warning.cancelEffect == CancelEffect::EndIndexCheck) {
            continue;
        }
        const bool ok = ask(warning);
        if (ok || warning.buttons == WarningButtons::Ok) {
            continue;
        }
        if (warning.cancelEffect == CancelEffect::AbortSave) {
            return false;
        }
        if (warning.cancelEffect == CancelEffect::EndIndexCheck) {
            indexCheckEnded = true;
        }
    }
    return true;
}

formats::Result<void> SaveFirmware(const std::filesystem::path& path, const ToneBank& bank,
                                   const formats::WriteFault* fault) {
    const SavedImage image(bank);
    return formats::WriteFileAtomic(path, image.Pieces(), fault);
}

}  // namespace belltower::bank
