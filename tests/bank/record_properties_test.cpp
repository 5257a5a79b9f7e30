#include "bank/record_properties.h"

#include <gtest/gtest.h>

#include "formats/record.h"
#include "test_banks.h"

namespace belltower::bank {
namespace {

TEST(ShowRecord, ShowsTheFieldsOfEitherFormat) {
    ToneBank ascii = MakeBank(1, TextFormat::Ascii);
    EXPECT_EQ((RecordView{"M0", "ID  ", "10", "n/a", false, 0, "Ringing and preview infinite", "Apply to M0"}),
              *ShowRecord(ascii, 0));
    EXPECT_EQ((RecordView{"M0", "ID  ", "10", "2", true, 0, "Ringing and preview infinite", "Apply to M0"}),
              *ShowRecord(MakeBank(1, TextFormat::Unicode), 0));
    // An index above 2147483647 (possible in an RE file) is shown as the bytes say.
    ascii.Records[0][0] = 0xFF;
    EXPECT_EQ("4278190090", ShowRecord(ascii, 0)->indexText);
    // Records too short for their header or name.
    for (const char* cut : {"", "00 00 00 01 00 00 00 10 20 20 20 20 00 00 00 00",
                            "00 00 00 01 00 00 00 14 20 20 20 20 00 00 00 00 09 41 42 00"}) {
        EXPECT_FALSE(DescribeRecord(Hex(cut), TextFormat::Ascii)) << cut;
    }
}

// The panel's boxes as ShowRecord fills them.
RecordEdits Shown(const ToneBank& bank) {
    const RecordView view = *ShowRecord(bank, 0);
    return {view.name, view.id, view.indexText, view.purposeText};
}

TEST(ApplyRecordEdits, KeepsTheIdBytesAndPadsAnEmptyId) {
    ToneBank bank = MakeBank(1);
    RecordEdits edits = Shown(bank);
    for (int twice = 0; twice < 2; ++twice) {  // unchanged boxes write the same record, every time
        ASSERT_TRUE(ApplyRecordEdits(bank, 0, edits));
        EXPECT_BYTES_EQ(MakeBank(1).Records[0], bank.Records[0]);
    }
    edits.id.clear();
    ASSERT_TRUE(ApplyRecordEdits(bank, 0, edits));
    EXPECT_EQ("    ", *formats::RecordId(bank.Records[0]));
}

TEST(ApplyRecordEdits, ALongerNameMovesTheTailAndRefills) {
    ToneBank bank;
    bank.Records = {Melody(TextFormat::Ascii, 5, "Ab")};
    bank.Lines = {"Ab"};
    RecordEdits edits = Shown(bank);
    edits.name = "Abcd";
    ASSERT_TRUE(ApplyRecordEdits(bank, 0, edits));
    EXPECT_BYTES_EQ(Hex("00 00 00 05 00 00 00 24 20 20 20 20 00 00 00 00"  // index 5, length 36, no ID
                        "05 41 62 63 64 00"                                // name-length byte 5, "Abcd", terminator
                        "00 02 FC 09 0A 01 8B 34 0A FE 07 0B 00 FF"),      // 35 bytes filled to 36
                    bank.Records[0]);
    EXPECT_EQ("Abcd", bank.Lines[0]);
}

TEST(ApplyRecordEdits, ReadsTheIndexAsItsLeadingNumberRoundedHalfToEven) {
    const std::pair<const char*, std::int32_t> cases[] = {
        {"7x", 7},    {"abc", 0},   {"2.5", 2},  {"3.5", 4},
        {" 1 2", 12}, {"&H1F", 31}, {"-0.4", 0}, {"2147483647", 2147483647}};
    for (const auto& [text, index] : cases) {
        ToneBank bank = MakeBank(1);
        RecordEdits edits = Shown(bank);
        edits.indexText = text;
        ASSERT_TRUE(ApplyRecordEdits(bank, 0, edits)) << text;
        EXPECT_EQ(index, *formats::RecordIndex(bank.Records[0])) << text;
    }
}

TEST(ApplyRecordEdits, RefusesValuesOutsideTheirFieldsAndWritesNothing) {
    const struct {
        TextFormat format;
        const char* index;
        const char* purpose;
        std::string name;
    } cases[] = {
        {TextFormat::Ascii, "-1", "", "M0"},
        {TextFormat::Ascii, "2147483648", "", "M0"},
        {TextFormat::Ascii, "1e10", "", "M0"},
        {TextFormat::Ascii, "&HFFFF", "", "M0"},  // reads -1
        {TextFormat::Unicode, "1", "256", "M0"},
        {TextFormat::Unicode, "1", "-1", "M0"},
        {TextFormat::Unicode, "1", "2", std::string(31, 'n')},
        {TextFormat::Ascii, "1", "", "\tM0"},  // would make the bank read back as Unicode
    };
    for (const auto& c : cases) {
        ToneBank bank = MakeBank(2, c.format);
        const auto applied = ApplyRecordEdits(bank, 1, RecordEdits{c.name, "", c.index, c.purpose});
        ASSERT_FALSE(applied) << c.index << " " << c.purpose;
        EXPECT_EQ(ErrorCode::BadInput, applied.error().code);
        EXPECT_EQ(MakeBank(2, c.format), bank);
    }
}

TEST(ApplyRecordEdits, ListsTheNameAsTheRecordShowsIt) {
    // Zero bytes are not part of a shown name (they would vanish on the next load anyway).
    for (const TextFormat format : {TextFormat::Ascii, TextFormat::Unicode}) {
        ToneBank bank = MakeBank(1, format);
        ASSERT_TRUE(ApplyRecordEdits(bank, 0, RecordEdits{std::string("A\0B", 3), "", "1", "2"}));
        EXPECT_EQ("AB", bank.Lines[0]);
        EXPECT_EQ(bank.Lines[0], ShowRecord(bank, 0)->name);
    }
    // Names from other tools can be longer than the 30 characters the box takes when typed.
    ToneBank ascii = MakeBank(1, TextFormat::Ascii);
    const std::string name(40, 'n');
    ASSERT_TRUE(ApplyRecordEdits(ascii, 0, RecordEdits{name, "", "1", ""}));
    EXPECT_EQ(name, ascii.Lines[0]);
    EXPECT_EQ(name, ShowRecord(ascii, 0)->name);
}

TEST(ApplyRecordEdits, WritesThePurposeOnlyInUnicodeBanks) {
    ToneBank unicode = MakeBank(1, TextFormat::Unicode);
    RecordEdits edits = Shown(unicode);
    edits.purposeText = "7";
    ASSERT_TRUE(ApplyRecordEdits(unicode, 0, edits));
    EXPECT_BYTES_EQ(Patched(MakeBank(1, TextFormat::Unicode).Records[0], 16, "07"), unicode.Records[0]);

    ToneBank ascii = MakeBank(1, TextFormat::Ascii);
    edits = Shown(ascii);
    edits.purposeText = "999";
    ASSERT_TRUE(ApplyRecordEdits(ascii, 0, edits));
    EXPECT_EQ(MakeBank(1, TextFormat::Ascii), ascii);
}

}  // namespace
}  // namespace belltower::bank
