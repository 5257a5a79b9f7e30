#include "formats/names.h"

#include <gtest/gtest.h>

#include "support/hex.h"

namespace belltower::formats {
namespace {

using testing::Hex;

TEST(Names, ConvertExamples) {
    EXPECT_TRUE(UnicodeToAscii(Bytes{}).empty());
    EXPECT_TRUE(AsciiToUnicode(Bytes{}).empty());
    // Every zero byte goes, not only every second one.
    EXPECT_BYTES_EQ(Hex("41 42"), UnicodeToAscii(Hex("00 41 00 00 42")));
    EXPECT_BYTES_EQ(Hex("00 41 00 62"), AsciiToUnicode(Hex("41 62")));
    EXPECT_BYTES_EQ(Hex("41 62"), WidenIfUnicode(Hex("41 62"), TextFormat::Ascii));
    EXPECT_BYTES_EQ(Hex("00 41 00 62"), WidenIfUnicode(Hex("41 62"), TextFormat::Unicode));
    EXPECT_BYTES_EQ(Hex("20 20 7F FE 20"), ToPrintable(Hex("1F 20 7F FE FF")));
}

TEST(Names, EveryByteValueSurvivesWidenAndNarrowOrIsPrintedAsItShould) {
    for (int value = 0; value < 256; ++value) {
        SCOPED_TRACE(value);
        const Bytes one{static_cast<std::uint8_t>(value)};
        const Bytes wide = AsciiToUnicode(one);
        ASSERT_EQ(2u, wide.size());
        EXPECT_EQ(0, wide[0]);
        EXPECT_EQ(value, wide[1]);
        EXPECT_EQ(value == 0 ? Bytes{} : one, UnicodeToAscii(wide));
        const std::uint8_t printable = ToPrintable(one)[0];
        EXPECT_EQ((value < 32 || value == 255) ? 32 : value, printable);
    }
    // A name holding all 255 non-zero byte values round-trips whole.
    Bytes all;
    for (int value = 1; value < 256; ++value) {
        all.push_back(static_cast<std::uint8_t>(value));
    }
    EXPECT_BYTES_EQ(all, UnicodeToAscii(AsciiToUnicode(all)));
}

}  // namespace
}  // namespace belltower::formats
