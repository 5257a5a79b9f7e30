#include "bank/firmware_writer.h"

#include <gtest/gtest.h>

#include "bank/list_operations.h"
#include "test_banks.h"

namespace belltower::bank {
namespace {

TEST(ChunkChecksum, SumsBigEndianWordsAndDropsALoneTail) {
    const std::pair<const char*, const char*> cases[] = {
        {"00 00 00 01 00 00 00 02", "00 00 00 03"},
        {"FF FF FF FF 00 00 00 01", "00 00 00 00"},  // the carry out of the top byte is dropped
        {"00 00 01 00 FF", "00 00 01 00"},           // the lone last byte does not count
        {"00 00 00 FF 00 00 00 01", "00 00 01 00"},  // carries between bytes
        {"", "00 00 00 00"},
    };
    for (const auto& [data, sum] : cases) {
        EXPECT_BYTES_EQ(Hex(sum), ChunkChecksum(Hex(data))) << data;
    }
    EXPECT_BYTES_EQ(Hex("34 24 2E EC"                                        // checksum of the rest
                        "00 00 00 24"                                        // length 36
                        "54 4F 4E 45 76 65 72 73 69 6F 6E 00"                // "TONEversion" 00
                        "00 00 00 00 00 00 00 10 00 00 00 00 00 00 00 00"),  // end record
                    BuildToneChunk({}));
}

Lines Texts(const std::vector<SaveWarning>& warnings) {
    Lines texts;
    for (const auto& warning : warnings) {
        texts.push_back(warning.text);
    }
    return texts;
}

// A bank of four melodies (the second 48 bytes long) grows by 64 bytes or shrinks by 48: the
// chunks behind TONE move with it, the tail stays where it was, and only data (not 0xFF) that
// a growing chain covers, or a longer file, is asked about.
TEST(FirmwareImage, EveryByteBesideTheToneChunkStaysAndOnlyCoveredDataIsAskedAbout) {
    const std::string need = "The melodies need 64 bytes more than the TONE chunk of the loaded image had.";
    const std::string covers = " Saving overwrites 64 bytes behind the chunk chain, 64 of which hold data (not 0xFF).";
    const std::string longer = " The saved image will be 54 bytes longer than the loaded one.";
    const std::string ask = " Such an image may not work in the phone. Save anyway?";
    const struct {
        bool grow;
        Bytes tail;
        Lines questions;
    } cases[] = {
        {false, Bytes(200, 0x5A), {}},
        {true, Bytes(200, 0xFF), {}},
        {true, Bytes(200, 0x00), {need + covers + ask}},
        {true, Bytes(10, 0xFF), {need + longer + ask}},
        {true,
         Patched(Bytes(10, 0xFF), 9, "00"),
         {need + " Saving overwrites 10 bytes behind the chunk chain, 1 of which hold data (not 0xFF)." + longer +
          ask}},
    };
    for (const auto& c : cases) {
        ToneBank bank = LoadedBank({.records = {Melody(kAscii, 1, "One"), Melody(kAscii, 2, std::string(14, 'L')),
                                                Melody(kAscii, 3, "Three"), Melody(kAscii, 4, "Four")},
                                    .chunksAfter = {testing::MakeChunk("LOGO", Bytes(8, 0x33))}});
        bank.FirmwareTail = c.tail;
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

TEST(SaveWarnings, WithoutFirmwareTheFileIsTheChunkAloneAndAsciiBanksWarnAboutManyMelodies) {
    const std::string noFirmware(kNoFirmwareLoaded);
    const struct {
        std::size_t count;
        TextFormat format;
        Lines warnings;
    } cases[] = {
        {66, kAscii, {std::string(kTooManyMelodies), noFirmware}},
        {65, kAscii, {noFirmware}},
        {66, kUnicode, {noFirmware}},
        // The next load tells the format from the first melody: without one, ASCII.
        {0, kUnicode, {noFirmware, std::string(kEmptyUnicodeBank)}},
        {0, kAscii, {noFirmware}},
    };
    for (const auto& c : cases) {
        const ToneBank bank = MakeBank(c.count, c.format);
        EXPECT_EQ(c.warnings, Texts(SaveWarnings(bank))) << c.count;
        EXPECT_BYTES_EQ(BuildToneChunk(bank.Records), BuildFirmwareImage(bank));
    }
}

TEST(CheckUniqueIndexes, OneQuestionPerPairSharingAnIndexInListOrder) {
    const auto same = [](const char* later, const char* earlier) {
        return std::string(later) + " has the same index 7 as " + earlier + ". Please correct it.";
    };
    ToneBank bank = MakeBank(6);
    bank.Records[1][3] = bank.Records[4][3] = 7;
    const auto warnings = CheckUniqueIndexes(bank);
    EXPECT_EQ(Lines{same("M4", "M1")}, Texts(warnings));
    EXPECT_EQ(WarningButtons::OkCancel, warnings.at(0).buttons);
    bank.Records[5][3] = 7;
    EXPECT_EQ((Lines{same("M4", "M1"), same("M5", "M1"), same("M5", "M4")}), Texts(CheckUniqueIndexes(bank)));
    // Cancel ends the index check but not the save.
    Lines asked;
    EXPECT_TRUE(ConfirmSave(SaveWarnings(bank), [&](const SaveWarning& w) {
        asked.push_back(w.text);
        return w.cancelEffect != CancelEffect::EndIndexCheck;  // OK to everything but the index check
    }));
    EXPECT_EQ((Lines{std::string(kNoFirmwareLoaded), same("M4", "M1")}), asked);
}

}  // namespace
}  // namespace belltower::bank
