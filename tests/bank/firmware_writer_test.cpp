// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/firmware_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "bank/list_operations.h"
#include "bank/re_exchange.h"
#include "formats/file_io.h"
#include "support/save_faults.h"
#include "support/scratch_dir.h"
#include "test_banks.h"

namespace belltower::bank {
namespace {

// Sums of big-endian words: carries run between bytes, the one out of the top byte is dropped, so is a lone last byte.
TEST(ChunkChecksum, SumsBigEndianWordsAndDropsALoneTail) {
    const std::pair<const char*, const char*> cases[] = {{"00 00 00 01 00 00 00 02", "00 00 00 03"},
                                                         {"FF FF FF FF 00 00 00 01", "00 00 00 00"},
                                                         {"00 00 01 00 FF", "00 00 01 00"},
                                                         {"00 00 00 FF 00 00 00 01", "00 00 01 00"},
                                                         {"", "00 00 00 00"}};
    for (const auto& [data, sum] : cases) {
        EXPECT_BYTES_EQ(Hex(sum), ChunkChecksum(Hex(data))) << data;
    }
}

Lines Texts(const std::vector<SaveWarning>& warnings) {
    Lines texts;
    std::ranges::transform(warnings, std::back_inserter(texts), &SaveWarning::text);
    return texts;
}

// A bank of four melodies (the second 48 bytes long) grows by 64 bytes or shrinks by 48: the chunks behind TONE move
// with it, the tail stays put, and only data (not 0xFF) a growing chain covers, or a longer file, is asked about.
TEST(FirmwareImage, EveryByteBesideTheToneChunkStaysAndOnlyCoveredDataIsAskedAbout) {
    const std::string need = "The melodies need 64 bytes more than the TONE chunk of the loaded image had.";
    const std::string covers = " Saving overwrites 64 bytes behind the chunk chain, 64 of which hold data (not 0xFF).";
    const std::string covers10 = " Saving overwrites 10 bytes behind the chunk chain, 1 of which hold data (not 0xFF).";
    const std::string longer = " The saved image will be 54 bytes longer than the loaded one.";
    const std::string longer1 = " The saved image will be 1 bytes longer than the loaded one.";
    const std::string ask = " Such an image may not work in the phone. Save anyway?";
    const Lines none, covered{need + covers + ask}, grown{need + longer + ask}, both{need + covers10 + longer + ask},
        grownOne{need + longer1 + ask};
    const struct {
        bool grow;
        std::size_t tailSize;
        std::uint8_t tailByte;
        bool lastByteZero;
        Lines questions;
    } cases[] = {
        {false, 200, 0x5A, false, none},   {true, 200, 0xFF, false, none}, {true, 200, 0x00, false, covered},
        {true, 10, 0xFF, false, grown},    {true, 10, 0xFF, true, both},   {true, 64, 0xFF, false, none},
        {true, 63, 0xFF, false, grownOne},  // room for 64 more bytes, one short
    };
    for (const auto& c : cases) {
        ToneBank bank = LoadedBank({.records = {Melody(kAscii, 1, "One"), Melody(kAscii, 2, std::string(14, 'L')),
                                                Melody(kAscii, 3, "Three"), Melody(kAscii, 4, "Four")},
                                    .chunksAfter = {testing::MakeChunk("LOGO", Bytes(8, 0x33))}});
        bank.FirmwareTail.assign(c.tailSize, c.tailByte);
        bank.FirmwareTail.back() = c.lastByteZero ? 0 : c.tailByte;
        const Bytes before = BuildFirmwareImage(bank);
        if (c.grow) {
            bank.Records.push_back(Melody(kAscii, 9, std::string(30, 'x')));
            bank.Lines.emplace_back(30, 'x');
        } else {
            ASSERT_TRUE(Delete(bank, 1));
        }
        const Bytes after = BuildFirmwareImage(bank);
        const std::size_t head = bank.FirmwareHead.size();
        const std::size_t oldEnd = bank.ChainEnd;
        const std::size_t newEnd = c.grow ? oldEnd + 64 : oldEnd - 48;
        const std::size_t middle = newEnd - bank.FirmwareMiddle.size();
        EXPECT_EQ(std::max(before.size(), newEnd), after.size());
        EXPECT_BYTES_EQ(ByteView(before).first(head), ByteView(after).first(head));
        EXPECT_BYTES_EQ(BuildToneChunk(bank.Records), formats::Mid(after, head, middle - head));
        EXPECT_BYTES_EQ(bank.FirmwareMiddle, formats::Mid(after, middle, newEnd - middle));
        EXPECT_BYTES_EQ(Bytes(c.grow ? 0 : 48, 0xFF), formats::Mid(after, newEnd, oldEnd - std::min(oldEnd, newEnd)));
        const std::size_t kept = std::max(oldEnd, newEnd);
        EXPECT_BYTES_EQ(formats::Mid(before, kept, before.size()), formats::Mid(after, kept, after.size()));
        EXPECT_EQ(c.questions, Texts(SaveWarnings(bank)));
        // Cancel aborts the save.
        EXPECT_EQ(c.questions.empty(), ConfirmSave(SaveWarnings(bank), [](const SaveWarning&) { return false; }));
    }
}

// Without firmware the file is the TONE chunk alone. ASCII banks warn about many melodies; the
// next load tells the format from the first melody, so an empty Unicode bank warns that it
// comes back as ASCII; each later melody sharing an index with an earlier one is asked about.
TEST(SaveWarnings, ComeInOrderAndTheFileWithoutFirmwareIsTheChunkAlone) {
    const std::string many(kTooManyMelodies), none(kNoFirmwareLoaded), empty(kEmptyUnicodeBank);
    const auto same = [](const char* later, const char* earlier) {
        return std::string(later) + " has the same index 7 as " + earlier + ". Please correct it.";
    };
    const std::string m41 = same("M4", "M1"), m51 = same("M5", "M1"), m54 = same("M5", "M4");
    const struct {
        std::size_t count;
        TextFormat format;
        std::string_view sevens;  // the lines given index 7
        Lines warnings;
    } cases[] = {
        {66, kAscii, "", {many, none}},
        {65, kAscii, "", {none}},
        {66, kUnicode, "", {none}},
        {0, kUnicode, "", {none, empty}},
        {0, kAscii, "", {none}},
        {6, kAscii, "14", {none, m41}},
        {6, kUnicode, "145", {none, m41, m51, m54}},
    };
    for (const auto& c : cases) {
        ToneBank bank = MakeBank(c.count, c.format);
        for (const char line : c.sevens) {
            bank.Records[static_cast<std::size_t>(line - '0')][3] = 7;
        }
        EXPECT_EQ(c.warnings, Texts(SaveWarnings(bank))) << c.count;
        EXPECT_BYTES_EQ(BuildToneChunk(bank.Records), BuildFirmwareImage(bank));
    }
    // Cancel ends the index check (OkCancel) but not the save.
    ToneBank bank = MakeBank(6);
    bank.Records[1][3] = bank.Records[4][3] = bank.Records[5][3] = 7;
    EXPECT_EQ(WarningButtons::OkCancel, CheckUniqueIndexes(bank).at(0).buttons);
    Lines asked;
    EXPECT_TRUE(ConfirmSave(SaveWarnings(bank), [&](const SaveWarning& w) {
        asked.push_back(w.text);
        return w.cancelEffect != CancelEffect::EndIndexCheck;  // OK to everything but the index check
    }));
    EXPECT_EQ((Lines{none, m41}), asked);
}

// The room for one more melody is the erased flash (0xFF) behind the chunk chain up to the first data byte, plus what
// melodies deleted since the load left; the record counts in the bank's format; a bank of 300 melodies takes no more.
TEST(RoomForRecord, ErasedFlashBehindTheChainAndThe300thMelody) {
    struct Case {
        std::size_t records;
        TextFormat format;
        std::size_t erased;   // 0xFF bytes behind the chain end marker, then data
        std::size_t deleted;  // melodies deleted after the load (36 bytes each)
        std::size_t free;
        std::size_t recordBytes;
        Lines problems;
    };
    const Case cases[] = {
        {1, kAscii, 36, 0, 36, 36, {}},
        {1, kAscii, 35, 0, 35, 36, {"The melody record takes 36 bytes; the TONE chunk has 35 bytes free."}},
        {2, kAscii, 0, 1, 36, 36, {}},
        {1, kUnicode, 44, 0, 44, 44, {}},
        {300, kAscii, 400, 0, 400, 36, {std::string(kBankFull)}},
        {299, kAscii, 36, 0, 36, 36, {}},
    };
    const Bytes record = Melody(kAscii, 99, "Tune");  // 36 bytes in ASCII, 44 in Unicode
    for (const Case& c : cases) {
        Bytes tail(c.erased, 0xFF);
        tail.push_back(0);
        ToneBank bank = LoadedBank({.records = MakeBank(c.records, c.format).Records, .tail = tail});
        bank.Records.resize(c.records - c.deleted);
        bank.Lines.resize(c.records - c.deleted);
        const formats::Result<RecordRoom> room = RoomForRecord(bank, record);
        ASSERT_TRUE(room.has_value()) << c.records;
        EXPECT_EQ(std::tuple(room->freeBytes, room->recordBytes, room->problems, room->fits),
                  std::tuple(c.free, c.recordBytes, c.problems, c.problems.empty()))
            << c.records;
    }
    EXPECT_FALSE(RoomForRecord(MakeBank(1), record).has_value());  // no firmware loaded
}

std::optional<formats::Error> ErrorOf(const formats::Result<void>& result) {
    return result ? std::nullopt : std::optional(result.error());
}

// Each save writes its bytes, or none when a write fails; a refused export writes nothing.
TEST(SaveFaults, SavesWriteTheirBytesOrLeaveTheTargetAsItWas) {
    const testing::ScratchDir dir;
    const ToneBank bank = LoadedBank({.records = {Melody(kUnicode, 1, "One"), Melody(kUnicode, 2, "Two")},
                                      .chunksAfter = {testing::MakeChunk("LOGO", Bytes(40, 0x33))},
                                      .tail = Bytes(100, 0x5A)});
    ASSERT_TRUE(SaveFirmware(dir / "phone.fls", bank));
    EXPECT_BYTES_EQ(BuildFirmwareImage(bank), *formats::ReadFileBytes(dir / "phone.fls"));
    testing::ExpectFaultKeepsTarget([&bank](const std::filesystem::path& path, const formats::WriteFault* fault) {
        return ErrorOf(SaveFirmware(path, bank, fault));
    });

    const Bytes unicodeTwo = Melody(kUnicode, 2, "Two", "ID", 2);
    const auto file = dir / "two.re";
    ASSERT_TRUE(ExportReFile(file, unicodeTwo, kUnicode, kAscii));
    const Bytes asciiTwo = Melody(kAscii, 2, "Two", "ID");  // the purpose goes
    EXPECT_BYTES_EQ(asciiTwo, *formats::ReadFileBytes(file));
    testing::ExpectFaultKeepsTarget([&unicodeTwo](const std::filesystem::path& path, const formats::WriteFault* fault) {
        return ErrorOf(ExportReFile(path, unicodeTwo, kUnicode, kAscii, fault));
    });
    // A name the import would misread is refused before anything is written.
    const auto refused = ExportReFile(file, Melody(kUnicode, 1, "\tTab"), kUnicode, kAscii);
    ASSERT_FALSE(refused);
    EXPECT_EQ(ErrorCode::BadInput, refused.error().code);
    EXPECT_BYTES_EQ(asciiTwo, *formats::ReadFileBytes(file));
}

}  // namespace
}  // namespace belltower::bank
