// SPDX-License-Identifier: GPL-3.0-or-later
// The firmware reader on any image, and the save of what it read: a load followed by a save
// must give an image that loads as the same bank, with every byte outside the TONE chunk where
// it was.
#include <algorithm>
#include <string>

#include "bank/firmware_reader.h"
#include "bank/firmware_writer.h"
#include "bank/tone_bank.h"
#include "formats/record.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/harnesses.h"
#include "support/image_builder.h"

namespace belltower::fuzz {
namespace {

using bank::FirmwareImage;
using bank::kBlockSize;
using formats::Bytes;
using formats::ByteView;
using formats::TextFormat;

bool SameImage(const FirmwareImage& a, const FirmwareImage& b) {
    return a.head == b.head && a.middle == b.middle && a.tail == b.tail && a.ppmOffset == b.ppmOffset &&
           a.toneOffset == b.toneOffset && a.toneLength == b.toneLength && a.chainEnd == b.chainEnd &&
           a.headerText == b.headerText && a.format == b.format && a.records == b.records && a.lines == b.lines;
}

Bytes Part(ByteView image, std::size_t offset, std::size_t count) {
    const ByteView part = image.subspan(offset, count);
    return Bytes(part.begin(), part.end());
}

void CheckPieces(ByteView image, const FirmwareImage& read) {
    BELLTOWER_FUZZ_CHECK(read.ppmOffset % kBlockSize == 0);
    BELLTOWER_FUZZ_CHECK(read.ppmOffset + kBlockSize <= image.size());
    BELLTOWER_FUZZ_CHECK((Part(image, read.ppmOffset, 4) == Bytes{'P', 'P', 'M', 0}));
    BELLTOWER_FUZZ_CHECK(read.headerText.size() == bank::kPpmHeaderSize);
    BELLTOWER_FUZZ_CHECK(read.toneOffset >= read.ppmOffset + bank::kPpmHeaderSize);
    BELLTOWER_FUZZ_CHECK(read.toneOffset + read.toneLength <= read.chainEnd);
    BELLTOWER_FUZZ_CHECK(read.chainEnd <= image.size());
    BELLTOWER_FUZZ_CHECK(read.head == Part(image, 0, read.toneOffset));
    BELLTOWER_FUZZ_CHECK(read.middle == Part(image, read.toneOffset + read.toneLength,
                                             read.chainEnd - read.toneOffset - read.toneLength));
    BELLTOWER_FUZZ_CHECK(read.tail == Part(image, read.chainEnd, image.size() - read.chainEnd));
    BELLTOWER_FUZZ_CHECK((Part(image, read.toneOffset + 8, 4) == Bytes{'T', 'O', 'N', 'E'}));
    // The middle ends with the chain end marker.
    BELLTOWER_FUZZ_CHECK(read.middle.size() >= bank::kChainEndMarkerSize);
    const ByteView marker = ByteView(read.middle).last(bank::kChainEndMarkerSize);
    BELLTOWER_FUZZ_CHECK((Bytes(marker.begin() + 4, marker.begin() + 12) == Bytes{0, 0, 0, 0x24, 0, 0, 0, 0}));

    // The records lie back to back from offset 20 of the chunk, and each lists under its name.
    BELLTOWER_FUZZ_CHECK(read.records.size() == read.lines.size());
    BELLTOWER_FUZZ_CHECK(read.records.size() <= bank::kMaxRecordsLoaded);
    std::size_t at = read.toneOffset + bank::kToneChunkHeaderSize;
    for (std::size_t i = 0; i < read.records.size(); ++i) {
        const Bytes& record = read.records[i];
        BELLTOWER_FUZZ_CHECK(record.size() >= formats::kRecordHeaderSize);
        BELLTOWER_FUZZ_CHECK(record == Part(image, at, record.size()));
        BELLTOWER_FUZZ_CHECK(*formats::RecordDisplayName(record, read.format) == read.lines[i]);
        at += record.size();
    }
    BELLTOWER_FUZZ_CHECK(at + bank::kEndRecordSize <= read.toneOffset + read.toneLength);
    if (!read.records.empty()) {
        BELLTOWER_FUZZ_CHECK(formats::DetectRecordFormat(read.records.front()) == read.format);
    }
}

// A small bank as an earlier session left it, for the "keep the bank" load.
bank::ToneBank EarlierBank(TextFormat format) {
    bank::ToneBank earlier;
    earlier.UnicodeNames = format;
    const Bytes tone{0x00, 0x02, 0xFC, 0x09, 0x0A, 0x01, 0x7F, 0x0A, 0x0A, 0xFE, 0x07, 0x0B};
    for (const char* name : {"Kept", "Also kept"}) {
        earlier.Records.push_back(testing::MakeRecord(format, 7, "ID", name, tone, 2));
        earlier.Lines.emplace_back(name);
    }
    return earlier;
}

void CheckApply(const FirmwareImage& read, bool keepBank, TextFormat earlierFormat) {
    bank::ToneBank target = EarlierBank(earlierFormat);
    const bank::ToneBank before = target;
    const bank::LoadOutcome outcome = bank::ApplyFirmwareImage(target, read, keepBank);
    const bool formatsDiffer = read.format != earlierFormat;
    BELLTOWER_FUZZ_CHECK(target.FirmwareLoaded);
    BELLTOWER_FUZZ_CHECK(outcome.keepBank == (keepBank && !formatsDiffer));
    BELLTOWER_FUZZ_CHECK(outcome.messages.size() == (keepBank && formatsDiffer ? 1u : 0u));
    BELLTOWER_FUZZ_CHECK(target.FirmwareHead == read.head && target.FirmwareMiddle == read.middle &&
                         target.FirmwareTail == read.tail && target.ChainEnd == read.chainEnd);
    if (outcome.keepBank) {
        BELLTOWER_FUZZ_CHECK(target.Records == before.Records && target.Lines == before.Lines);
    } else {
        BELLTOWER_FUZZ_CHECK(target.Records == read.records && target.Lines == read.lines &&
                             target.UnicodeNames == read.format);
    }
}

// Saving what was loaded: the chunk is rebuilt (it never grows: the loaded one held at least the
// records and an end record), the rest stays, and the saved image loads as the same bank.
void CheckSaveAndReload(ByteView image, const FirmwareImage& read) {
    bank::ToneBank loaded;
    (void)bank::ApplyFirmwareImage(loaded, read, false);
    const bank::ChainFit fit = bank::FitChain(loaded);
    BELLTOWER_FUZZ_CHECK(fit.overwritten == 0 && fit.grownBy == 0);
    BELLTOWER_FUZZ_CHECK(bank::SaveWarnings(loaded).size() == bank::CheckUniqueIndexes(loaded).size() +
                                                                  (!loaded.IsUnicode() && loaded.Count() > 65 ? 1 : 0));
    const Bytes saved = bank::BuildFirmwareImage(loaded);
    BELLTOWER_FUZZ_CHECK(saved.size() == image.size());

    const auto again = bank::ReadFirmwareImage(ByteView(saved), "saved");
    BELLTOWER_FUZZ_CHECK(again.has_value());
    BELLTOWER_FUZZ_CHECK(again->records == read.records && again->lines == read.lines);
    BELLTOWER_FUZZ_CHECK(again->format == read.format);
    BELLTOWER_FUZZ_CHECK(again->head == read.head && again->middle == read.middle);
    BELLTOWER_FUZZ_CHECK(again->headerText == read.headerText && again->ppmOffset == read.ppmOffset);
    BELLTOWER_FUZZ_CHECK(again->toneOffset == read.toneOffset);
    BELLTOWER_FUZZ_CHECK(again->toneLength == bank::ToneChunkLength(read.records));
    const std::size_t freed = read.toneLength - again->toneLength;
    BELLTOWER_FUZZ_CHECK(fit.freed == freed);
    BELLTOWER_FUZZ_CHECK(again->chainEnd + freed == read.chainEnd);
    Bytes expectedTail(freed, 0xFF);
    formats::Append(expectedTail, read.tail);
    BELLTOWER_FUZZ_CHECK(again->tail == expectedTail);
    const ByteView chunk = ByteView(saved).subspan(again->toneOffset, again->toneLength);
    BELLTOWER_FUZZ_CHECK(bank::ChunkChecksum(chunk.subspan(4)) == Bytes(chunk.begin(), chunk.begin() + 4));
    BELLTOWER_FUZZ_CHECK(Bytes(chunk.begin(), chunk.end()) == bank::BuildToneChunk(read.records));

    // A second save of the reloaded bank changes nothing.
    bank::ToneBank reloaded;
    (void)bank::ApplyFirmwareImage(reloaded, *again, false);
    BELLTOWER_FUZZ_CHECK(bank::BuildFirmwareImage(reloaded) == saved);
}

}  // namespace

void FuzzFirmwareReader(ByteView input) {
    if (input.empty()) {
        return;
    }
    const std::uint8_t options = input[0];
    Bytes image;
    if ((options & kFirmwareBlockBefore) != 0) {
        image.assign(kBlockSize, 0x00);
    }
    formats::Append(image, input.subspan(1));
    if ((options & kFirmwarePadBlock) != 0) {
        image.resize(std::max<std::size_t>(kBlockSize, (image.size() + kBlockSize - 1) / kBlockSize * kBlockSize),
                     0xFF);
    }

    const auto read = bank::ReadFirmwareImage(ByteView(image), "fuzz.fls");
    const auto taken = bank::ReadFirmwareImage(Bytes(image), "fuzz.fls");
    BELLTOWER_FUZZ_CHECK(read.has_value() == taken.has_value());
    if (!read) {
        const formats::Error& error = read.error();
        BELLTOWER_FUZZ_CHECK(error.code == formats::ErrorCode::NotFound ||
                             error.code == formats::ErrorCode::DamagedData);
        BELLTOWER_FUZZ_CHECK(!error.message.empty());
        BELLTOWER_FUZZ_CHECK(taken.error() == error);
        return;
    }
    BELLTOWER_FUZZ_CHECK(SameImage(*read, *taken));
    CheckPieces(image, *read);
    const TextFormat earlier = (options & kFirmwareEarlierUnicode) != 0 ? TextFormat::Unicode : TextFormat::Ascii;
    CheckApply(*read, (options & kFirmwareKeepBank) != 0, earlier);
    CheckSaveAndReload(image, *read);
}

}  // namespace belltower::fuzz
