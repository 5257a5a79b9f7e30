#include "bank/record_properties.h"

#include <gtest/gtest.h>

#include "formats/record.h"
#include "test_banks.h"

namespace belltower::bank {
namespace {

using formats::Bytes;
using formats::ByteView;
using formats::ErrorCode;
using formats::TextFormat;
using testing::Hex;

TEST(ShowRecord, ShowsTheFieldsOfEitherFormat) {
    ToneBank ascii = MakeBank(1, TextFormat::Ascii);
    ToneBank unicode = MakeBank(1, TextFormat::Unicode);
    const auto a = ShowRecord(ascii, 0);
    ASSERT_TRUE(a);
    EXPECT_EQ((RecordView{"M0", "ID  ", "10", "n/a", false, 0, "Ringing and preview infinite", "Apply to M0"}), *a);
    const auto u = ShowRecord(unicode, 0);
    ASSERT_TRUE(u);
    EXPECT_EQ("2", u->purposeText);
    EXPECT_TRUE(u->purposeEnabled);
    EXPECT_EQ("ID  ", u->id);

    // An index above 2147483647 (possible in an RE file) is shown as the bytes say.
    ascii.Records[0][0] = 0xFF;
    EXPECT_EQ("4278190090", ShowRecord(ascii, 0)->indexText);
}

TEST(ShowRecord, ReportsRecordsTooShortToShow) {
    for (const Bytes& record : {Bytes{}, Hex("00 00 00 01 00 00 00 10 20 20 20 20 00 00 00 00"),
                                Hex("00 00 00 01 00 00 00 14 20 20 20 20 00 00 00 00 09 41 42 00")}) {
        const auto view = DescribeRecord(record, TextFormat::Ascii);
        ASSERT_FALSE(view);
        EXPECT_EQ(ErrorCode::DamagedData, view.error().code);
    }
}

RecordEdits EditsOf(const RecordView& view) {
    return {view.name, view.id, view.indexText, view.purposeText};
}

TEST(ApplyRecordEdits, KeepsTheIdBytesAndPadsAnEmptyId) {
    ToneBank bank = MakeBank(1);
    const Bytes original = bank.Records[0];
    RecordEdits edits = EditsOf(*ShowRecord(bank, 0));
    ASSERT_TRUE(ApplyRecordEdits(bank, 0, edits));
    EXPECT_BYTES_EQ(original, bank.Records[0]); // unchanged boxes write the same record, every time
    ASSERT_TRUE(ApplyRecordEdits(bank, 0, edits));
    EXPECT_BYTES_EQ(original, bank.Records[0]);

    edits.id.clear();
    ASSERT_TRUE(ApplyRecordEdits(bank, 0, edits));
    EXPECT_EQ("    ", *formats::RecordId(bank.Records[0]));
}

TEST(ApplyRecordEdits, ALongerNameMovesTheTailAndRefills) {
    ToneBank bank = MakeBank(1);
    bank.Records[0] = Melody(TextFormat::Ascii, 5, "Ab");
    bank.Lines[0] = "Ab";
    RecordEdits edits = EditsOf(*ShowRecord(bank, 0));
    edits.name = "Abcd";
    ASSERT_TRUE(ApplyRecordEdits(bank, 0, edits));
    EXPECT_BYTES_EQ(Hex("00 00 00 05"       // index
                        "00 00 00 24"       // length 36
                        "20 20 20 20"       // no ID
                        "00 00 00 00"       // zero bytes
                        "05 41 62 63 64 00" // name-length byte 5, "Abcd", terminator
                        "00 02 FC 09 0A 01 8B 34 0A FE 07 0B 00"
                        "FF"), // 35 bytes filled to 36
                    bank.Records[0]);
    EXPECT_EQ("Abcd", bank.Lines[0]);
}

TEST(ApplyRecordEdits, ReadsTheIndexAsItsLeadingNumberRoundedHalfToEven) {
    const struct {
        const char* text;
        std::uint8_t index;
    } cases[] = {{"7x", 7}, {"abc", 0}, {"2.5", 2}, {"3.5", 4}, {" 1 2", 12}, {"&H1F", 31}, {"-0.4", 0}};
    for (const auto& c : cases) {
        ToneBank bank = MakeBank(1);
        RecordEdits edits = EditsOf(*ShowRecord(bank, 0));
        edits.indexText = c.text;
        ASSERT_TRUE(ApplyRecordEdits(bank, 0, edits)) << c.text;
        EXPECT_BYTES_EQ((Bytes{0, 0, 0, c.index}), ByteView(bank.Records[0]).first(4)) << c.text;
    }
    ToneBank bank = MakeBank(1);
    RecordEdits edits = EditsOf(*ShowRecord(bank, 0));
    edits.indexText = "2147483647";
    ASSERT_TRUE(ApplyRecordEdits(bank, 0, edits));
    EXPECT_BYTES_EQ(Hex("7F FF FF FF"), ByteView(bank.Records[0]).first(4));
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
        {TextFormat::Ascii, "&HFFFF", "", "M0"}, // reads -1
        {TextFormat::Unicode, "1", "256", "M0"},
        {TextFormat::Unicode, "1", "-1", "M0"},
        {TextFormat::Unicode, "1", "2", std::string(31, 'n')},
        {TextFormat::Ascii, "1", "", "\tM0"}, // would make the bank read back as Unicode
    };
    for (const auto& c : cases) {
        ToneBank bank = MakeBank(2, c.format);
        const ToneBank before = bank;
        const auto applied = ApplyRecordEdits(bank, 1, RecordEdits{c.name, "", c.index, c.purpose});
        ASSERT_FALSE(applied) << c.index << " " << c.purpose;
        EXPECT_EQ(ErrorCode::BadInput, applied.error().code);
        EXPECT_EQ(before, bank);
    }
}

TEST(ApplyRecordEdits, KeepsLongNamesInAsciiBanks) {
    // Names from other tools can be longer than the 30 characters the box takes when typed.
    ToneBank bank = MakeBank(1, TextFormat::Ascii);
    const std::string name(40, 'n');
    ASSERT_TRUE(ApplyRecordEdits(bank, 0, RecordEdits{name, "", "1", ""}));
    EXPECT_EQ(name, *formats::RecordDisplayName(bank.Records[0], TextFormat::Ascii));
    EXPECT_EQ(name, bank.Lines[0]);
}

TEST(ApplyRecordEdits, ListsTheNameAsTheRecordShowsIt) {
    // Zero bytes are not part of a shown name (they would vanish on the next load anyway).
    for (const TextFormat format : {TextFormat::Ascii, TextFormat::Unicode}) {
        ToneBank bank = MakeBank(1, format);
        ASSERT_TRUE(ApplyRecordEdits(bank, 0, RecordEdits{std::string("A\0B", 3), "", "1", "2"}));
        EXPECT_EQ("AB", bank.Lines[0]);
        EXPECT_EQ(bank.Lines[0], ShowRecord(bank, 0)->name);
    }
}

TEST(ApplyRecordEdits, WritesThePurposeOnlyInUnicodeBanks) {
    ToneBank unicode = MakeBank(1, TextFormat::Unicode);
    RecordEdits edits = EditsOf(*ShowRecord(unicode, 0));
    edits.purposeText = "7";
    ASSERT_TRUE(ApplyRecordEdits(unicode, 0, edits));
    EXPECT_EQ(7, unicode.Records[0][16]);
    EXPECT_EQ(3, unicode.Records[0][17]); // the name-length byte stays
    EXPECT_EQ("M0", unicode.Lines[0]);

    ToneBank ascii = MakeBank(1, TextFormat::Ascii);
    const Bytes original = ascii.Records[0];
    edits = EditsOf(*ShowRecord(ascii, 0));
    edits.purposeText = "999";
    ASSERT_TRUE(ApplyRecordEdits(ascii, 0, edits));
    EXPECT_BYTES_EQ(original, ascii.Records[0]);
}

TEST(NameCounter, CountsDownFromFourteen) {
    const struct {
        std::size_t characters;
        const char* text;
        NameLengthState state;
    } cases[] = {{0, " 14", NameLengthState::Short},
                 {13, " 1", NameLengthState::Short},
                 {14, " 0", NameLengthState::AtAdvisedLimit},
                 {15, "-1", NameLengthState::TooLong},
                 {30, "-16", NameLengthState::TooLong}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.text, NameCharactersLeft(c.characters));
        EXPECT_EQ(c.state, NameLength(c.characters));
    }
}

} // namespace
} // namespace belltower::bank
