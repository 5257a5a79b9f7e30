// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/record_properties.h"

#include <gtest/gtest.h>

#include "formats/record.h"
#include "test_banks.h"

namespace belltower::bank {
namespace {

TEST(ShowRecord, ShowsTheFieldsOfEitherFormat) {
    ToneBank ascii = MakeBank(1, kAscii);
    EXPECT_EQ((RecordView{"M0", "ID  ", "10", "n/a", false, 0, "Ringing and preview infinite", "Apply to M0"}),
              *ShowRecord(ascii, 0));
    EXPECT_EQ((RecordView{"M0", "ID  ", "10", "2", true, 0, "Ringing and preview infinite", "Apply to M0"}),
              *ShowRecord(MakeBank(1, kUnicode), 0));
    // An index above 2147483647 (possible in an RE file) is shown as the bytes say.
    ascii.Records[0] = Patched(ascii.Records[0], 0, "FF 01 02");
    EXPECT_EQ("4278256138", ShowRecord(ascii, 0)->indexText);
    // Records too short for their header or name.
    for (const char* cut : {"", "00 00 00 01 00 00 00 10 20 20 20 20 00 00 00 00",
                            "00 00 00 01 00 00 00 14 20 20 20 20 00 00 00 00 09 41 42 00"}) {
        EXPECT_FALSE(DescribeRecord(Hex(cut), kAscii)) << cut;
    }
}

// The record is rebuilt from the boxes around the old tone data, the index rounded half to even; the list shows the
// name as every reader of the record does.
TEST(ApplyRecordEdits, RebuildsTheRecordFromTheBoxes) {
    const struct {
        TextFormat format;
        RecordEdits edits;
        std::uint32_t index;
        std::uint8_t purpose = 0;
        std::string line = "";  // when not the name
    } cases[] = {
        {kAscii, {"M0", "ID  ", "10", "n/a"}, 10},  // the boxes as shown give the same record
        {kUnicode, {"M0", "ID  ", "10", "2"}, 10, 2},
        {kAscii, {"M0", "", "10", ""}, 10},  // an empty ID is padded
        {kAscii, {"Abcd", "ID", "10", ""}, 10},
        {kAscii, {std::string(40, 'n'), "", "1", ""}, 1},  // longer than typed names, from other tools
        {kAscii, {std::string("A\0B", 3), "", "1", ""}, 1, 0, "AB"},
        {kUnicode, {std::string("A\0B", 3), "", "1", "2"}, 1, 2, "AB"},
        {kUnicode, {"M0", "", "1", "7"}, 1, 7},
        {kUnicode, {"M0", "", "1", "255"}, 1, 255},
        {kAscii, {"M0", "", "1", "999"}, 1},  // no purpose in ASCII
        {kAscii, {"M0", "", "2.5", ""}, 2},
        {kAscii, {"M0", "", "3.5", ""}, 4},
        {kAscii, {"M0", "", "-0.4", ""}, 0},
        {kAscii, {"M0", "", "2147483647", ""}, 2147483647},
    };
    for (const auto& c : cases) {
        ToneBank bank = MakeBank(1, c.format);
        ASSERT_TRUE(ApplyRecordEdits(bank, 0, c.edits)) << c.edits.indexText;
        EXPECT_BYTES_EQ(testing::MakeRecord(c.format, c.index, c.edits.id, c.edits.name, kTone, c.purpose),
                        bank.Records[0]);
        EXPECT_EQ(c.line.empty() ? c.edits.name : c.line, bank.Lines[0]);
        EXPECT_EQ(bank.Lines[0], ShowRecord(bank, 0)->name);
    }
}

// The last name would make the bank read back as Unicode.
TEST(ApplyRecordEdits, RefusesValuesOutsideTheirFieldsAndWritesNothing) {
    const std::string n31(31, 'n');
    const struct {
        TextFormat format;
        const char* index;
        const char* purpose;
        std::string name = "M0";
    } cases[] = {
        {kAscii, "-1", ""},    {kAscii, "2147483648", ""}, {kUnicode, "1", "256"},
        {kUnicode, "1", "-1"}, {kUnicode, "1", "2", n31},  {kAscii, "1", "", "\tM0"},
    };
    for (const auto& c : cases) {
        ToneBank bank = MakeBank(2, c.format);
        const auto applied = ApplyRecordEdits(bank, 1, RecordEdits{c.name, "", c.index, c.purpose});
        ASSERT_FALSE(applied) << c.index << " " << c.purpose;
        EXPECT_EQ(ErrorCode::BadInput, applied.error().code);
        EXPECT_EQ(MakeBank(2, c.format), bank);
    }
}

}  // namespace
}  // namespace belltower::bank
