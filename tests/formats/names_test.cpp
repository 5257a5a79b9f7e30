// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/names.h"

#include <gtest/gtest.h>

#include "support/hex.h"

namespace belltower::formats {
namespace {

using testing::Hex;

TEST(Names, EveryByteValueSurvivesWidenAndNarrowOrIsPrintedAsItShould) {
    Bytes all;  // all 255 non-zero byte values: a name of them round-trips whole
    for (int value = 0; value < 256; ++value) {
        SCOPED_TRACE(value);
        const Bytes one{static_cast<std::uint8_t>(value)};
        EXPECT_BYTES_EQ(Bytes({0, one[0]}), AsciiToUnicode(one));
        EXPECT_EQ(value == 0 ? Bytes{} : one, UnicodeToAscii(AsciiToUnicode(one)));
        EXPECT_EQ((value < 32 || value == 255) ? 32 : value, ToPrintable(one)[0]);
        if (value > 0) {
            all.push_back(one[0]);
        }
    }
    EXPECT_BYTES_EQ(all, UnicodeToAscii(AsciiToUnicode(all)));
    EXPECT_TRUE(UnicodeToAscii(Bytes{}).empty());
    EXPECT_BYTES_EQ(Hex("41 42"), UnicodeToAscii(Hex("00 41 00 00 42")));  // every zero byte goes
    EXPECT_BYTES_EQ(Hex("41 62"), WidenIfUnicode(Hex("41 62"), TextFormat::Ascii));
    EXPECT_BYTES_EQ(Hex("00 41 00 62"), WidenIfUnicode(Hex("41 62"), TextFormat::Unicode));
}

}  // namespace
}  // namespace belltower::formats
