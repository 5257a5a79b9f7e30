// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/firmware_reader.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>

#include "formats/dword.h"
#include "formats/file_io.h"
#include "formats/message_text.h"
#include "formats/record.h"

namespace belltower::bank {
namespace {

using formats::Error;
using formats::ErrorCode;
using formats::MakeError;
using formats::Result;

constexpr std::uint8_t kPpmMagic[] = {'P', 'P', 'M', 0};
constexpr std::uint8_t kToneName[] = {'T', 'O', 'N', 'E'};
constexpr std::uint8_t kZeroName[] = {0, 0, 0, 0};
constexpr std::uint8_t kMarkerLength[] = {0, 0, 0, 0x24};

// "byte offset 65580 (0x1002C)": decimal for people, hex for hex editors.
std::string Where(std::size_t offset) {
    return "byte offset " + std::to_string(offset) + " (" + formats::HexOffset(offset) + ")";
}

Error Damaged(std::string message) {
    return MakeError(ErrorCode::DamagedData, std::move(message));
}

bool Equals(ByteView bytes, std::span<const std::uint8_t, 4> expected) {
    return bytes.size() == 4 && std::equal(bytes.begin(), bytes.end(), expected.begin());
}

Bytes Slice(ByteView image, std::size_t offset, std::size_t count) {
    const ByteView part = image.subspan(offset, count);
    return {part.begin(), part.end()};
}

// Only the first four bytes of each whole 64 KB block are looked at.
std::optional<std::size_t> FindPpmSection(ByteView image) {
    const std::size_t blocks = image.size() / kBlockSize;
    for (std::size_t k = 0; k < blocks; ++k) {
        if (Equals(image.subspan(k * kBlockSize, 4), kPpmMagic)) {
            return k * kBlockSize;
        }
    }
    return std::nullopt;
}

struct ChainPlaces {
    std::size_t toneOffset{};
    std::size_t toneLength{};
    std::size_t chainEnd{};  // found after the TONE chunk
};

// Jumps from chunk header to chunk header by the length fields, up to the chain end marker.
Result<ChainPlaces> WalkChain(ByteView image, std::size_t start) {
    std::optional<ChainPlaces> tone;
    std::size_t cur = start;
    for (;;) {
        if (cur >= image.size()) {
            if (!tone) {
                return MakeError(ErrorCode::NotFound, std::string(kToneNotFound));
            }
            return Damaged("The chunk chain has no end marker: it runs to the end of the file at " + Where(cur) + ".");
        }
        if (image.size() - cur < kChunkHeaderSize) {
            return Damaged("The chunk header at " + Where(cur) + " is cut off by the end of the file.");
        }
        const auto length = formats::ReadDwordField(image, cur + 4, "length field of the chunk at " + Where(cur));
        if (!length) {
            return Damaged(length.error().message);
        }
        const auto chunkLength = static_cast<std::size_t>(*length);
        if (chunkLength < kChunkHeaderSize) {
            return Damaged("The chunk at " + Where(cur) + " says it is " + std::to_string(chunkLength) +
                           " bytes long, less than its 12-byte header.");
        }
        const ByteView name = image.subspan(cur + 8, 4);
        if (Equals(name, kToneName)) {
            if (chunkLength > image.size() - cur) {
                return Damaged("The TONE chunk at " + Where(cur) + " is " + std::to_string(chunkLength) +
                               " bytes long but the file ends after " + std::to_string(image.size() - cur) +
                               " of them.");
            }
            tone = ChainPlaces{.toneOffset = cur, .toneLength = chunkLength};
        } else if (Equals(name, kZeroName) && Equals(image.subspan(cur + 4, 4), kMarkerLength)) {
            if (kChainEndMarkerSize > image.size() - cur) {
                return Damaged("The chain end marker at " + Where(cur) + " is cut off by the end of the file.");
            }
            if (!tone) {
                return MakeError(ErrorCode::NotFound, std::string(kToneNotFound));
            }
            tone->chainEnd = cur + kChainEndMarkerSize;
            return *tone;
        }
        cur += chunkLength;
    }
}

// Cuts the records out of the TONE chunk by their length fields, up to the end record.
Result<std::vector<Bytes>> SplitToneChunk(ByteView chunk, std::size_t chunkOffset) {
    std::vector<Bytes> records;
    std::size_t pos = kToneChunkHeaderSize;
    for (;;) {
        if (pos > chunk.size() || chunk.size() - pos < 8) {
            return Damaged("The TONE chunk at " + Where(chunkOffset) +
                           " has no end record: its melody records run to its end at " +
                           Where(chunkOffset + chunk.size()) + ".");
        }
        const std::size_t at = chunkOffset + pos;
        const auto length =
            formats::ReadDwordField(chunk, pos + 4, "length field of the melody record at " + Where(at));
        if (!length) {
            return Damaged(length.error().message);
        }
        const auto recordLength = static_cast<std::size_t>(*length);
        if (recordLength == kEndRecordSize && chunk.size() - pos > 8 && chunk[pos + 8] == 0) {
            if (chunk.size() - pos < kEndRecordSize) {
                return Damaged("The end record at " + Where(at) + " is cut off by the end of the TONE chunk.");
            }
            return records;
        }
        if (recordLength < formats::kRecordHeaderSize) {
            return Damaged("The melody record at " + Where(at) + " says it is " + std::to_string(recordLength) +
                           " bytes long, less than the 17-byte record header.");
        }
        if (recordLength > chunk.size() - pos) {
            return Damaged("The melody record at " + Where(at) + " is " + std::to_string(recordLength) +
                           " bytes long and runs past the end of the TONE chunk at " +
                           Where(chunkOffset + chunk.size()) + ".");
        }
        if (records.size() == kMaxRecordsLoaded) {
            return Damaged("The TONE chunk holds more than 301 melodies: melody 302 starts at " + Where(at) + ".");
        }
        records.push_back(Slice(chunk, pos, recordLength));
        pos += recordLength;
    }
}

// The list line of every record; fails on the first record whose name cannot be read.
Result<std::vector<std::string>> ListLines(const std::vector<Bytes>& records, formats::TextFormat format,
                                           std::size_t firstRecordOffset) {
    const std::size_t u = formats::UnicodeOffset(format);
    std::vector<std::string> lines;
    lines.reserve(records.size());
    std::size_t at = firstRecordOffset;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const Bytes& record = records[i];
        // A name-length field of 0 has always been reported with this one fixed text.
        if (record.size() >= 17 + u && Equals(ByteView(record).subspan(13 + u, 4), kZeroName)) {
            return Damaged(std::string(kErrorReadingFile));
        }
        auto name = formats::RecordDisplayName(record, format);
        if (!name) {
            return Damaged("Melody " + std::to_string(i + 1) + " at " + Where(at) +
                           " cannot be read: " + name.error().message);
        }
        lines.push_back(std::move(*name));
        at += record.size();
    }
    return lines;
}

// Everything of the image but its pieces; the pieces are cut out once the whole image is known good.
Result<FirmwareImage> ReadLayout(ByteView image, std::string_view sourceName) {
    const auto ppm = FindPpmSection(image);
    if (!ppm) {
        return MakeError(ErrorCode::NotFound, std::string(sourceName) + std::string(kNoPpmSuffix));
    }
    // A whole block lies in the file, so the 44 header bytes do too.
    const std::size_t chainStart = *ppm + kPpmHeaderSize;
    const auto places = WalkChain(image, chainStart);
    if (!places) {
        return places.error();
    }
    const ByteView chunk = image.subspan(places->toneOffset, places->toneLength);
    auto records = SplitToneChunk(chunk, places->toneOffset);
    if (!records) {
        return records.error();
    }
    const formats::TextFormat format =
        records->empty() ? formats::TextFormat::Ascii : formats::DetectRecordFormat(records->front());
    auto lines = ListLines(*records, format, places->toneOffset + kToneChunkHeaderSize);
    if (!lines) {
        return lines.error();
    }

    FirmwareImage result;
    result.ppmOffset = *ppm;
    result.toneOffset = places->toneOffset;
    result.toneLength = places->toneLength;
    result.chainEnd = places->chainEnd;
    result.headerText = formats::ToText(formats::ToPrintable(image.subspan(*ppm, kPpmHeaderSize)));
    result.format = format;
    result.records = std::move(*records);
    result.lines = std::move(*lines);
    const std::size_t middleStart = places->toneOffset + places->toneLength;
    result.middle = Slice(image, middleStart, places->chainEnd - middleStart);
    return result;
}

}  // namespace

Result<FirmwareImage> ReadFirmwareImage(ByteView image, std::string_view sourceName) {
    auto result = ReadLayout(image, sourceName);
    if (result) {
        result->head = Slice(image, 0, result->toneOffset);
        result->tail = Slice(image, result->chainEnd, image.size() - result->chainEnd);
    }
    return result;
}

Result<FirmwareImage> ReadFirmwareImage(Bytes&& image, std::string_view sourceName) {
    auto result = ReadLayout(image, sourceName);
    if (!result) {
        return result;
    }
    // The head stays in the image's buffer; the tail is copied out a step at a time, and the
    // memory it came from goes back to the system behind the copy. The whole image is thus held
    // about once, never head, tail and image together.
    const std::size_t tailStart = result->chainEnd;
    result->tail.reserve(image.size() - tailStart);
    constexpr std::size_t kStep = std::size_t{256} * 1024;
    for (std::size_t at = tailStart; at < image.size(); at += kStep) {
        const ByteView part = ByteView(image).subspan(at, std::min(kStep, image.size() - at));
        result->tail.insert(result->tail.end(), part.begin(), part.end());
        formats::ReleaseMemory(std::span<std::uint8_t>(image).subspan(at, part.size()));
    }
    image.resize(result->toneOffset);
    formats::ReleaseMemory(std::span<std::uint8_t>(image.data(), image.capacity()).subspan(image.size()));
    result->head = std::move(image);
    return result;
}

Result<FirmwareImage> ReadFirmwareFile(const std::filesystem::path& path, std::string_view sourceName,
                                       std::size_t maxBytes, std::string_view limitNote) {
    if (!formats::IsRegularFile(path)) {
        auto data = formats::ReadFileBytes(path, maxBytes, limitNote);
        if (!data) {
            return data.error();
        }
        return ReadFirmwareImage(std::move(*data), sourceName);
    }
    auto file = formats::MappedFile::Open(path, maxBytes, limitNote);
    if (!file) {
        return file.error();
    }
    const std::size_t size = file->View().size();
    auto result = ReadLayout(file->View(), sourceName);
    if (!result) {
        return result;
    }
    // What the layout read has been copied; the mapped pages go before head and tail come in.
    file->Unmap();
    auto head = file->Copy(0, result->toneOffset);
    auto tail = file->Copy(result->chainEnd, size - result->chainEnd);
    if (!head || !tail) {
        return head ? tail.error() : head.error();
    }
    result->head = std::move(*head);
    result->tail = std::move(*tail);
    return result;
}

LoadOutcome ApplyFirmwareImage(ToneBank& bank, FirmwareImage image, bool keepBank) {
    LoadOutcome outcome;
    outcome.keepBank = keepBank;
    if (keepBank && image.format != bank.UnicodeNames) {
        outcome.keepBank = false;
        outcome.messages.emplace_back(kDifferentFormats);
    }
    bank.FirmwareHead = std::move(image.head);
    bank.FirmwareMiddle = std::move(image.middle);
    bank.FirmwareTail = std::move(image.tail);
    bank.ChainEnd = image.chainEnd;
    bank.HeaderText = std::move(image.headerText);
    bank.FirmwareLoaded = true;
    if (!outcome.keepBank) {
        bank.UnicodeNames = image.format;
        bank.Records = std::move(image.records);
        bank.Lines = std::move(image.lines);
    }
    return outcome;
}

Result<LoadOutcome> LoadFirmware(const std::filesystem::path& path, ToneBank& bank, bool keepBank,
                                 std::size_t maxBytes) {
    auto image = ReadFirmwareFile(path, path.string(), maxBytes, kImageLimitNote);
    if (!image) {
        return image.error();
    }
    return ApplyFirmwareImage(bank, std::move(*image), keepBank);
}

}  // namespace belltower::bank
