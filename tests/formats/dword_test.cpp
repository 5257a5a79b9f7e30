// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/dword.h"

#include <gtest/gtest.h>

#include "support/hex.h"

namespace belltower::formats {
namespace {

using testing::Hex;

TEST(BigEndianAt, ReadsMostSignificantFirstAndZeroPastTheEnd) {
    const Bytes data = Hex("80 01 02 FF 7F");
    const struct {
        std::size_t offset, width;
        std::uint32_t value;
    } cases[] = {{0, 4, 0x800102FF}, {1, 4, 0x0102FF7F}, {2, 4, 0x02FF7F00}, {4, 4, 0x7F000000}, {5, 4, 0},
                 {99, 4, 0},         {1, 3, 0x0102FF},   {3, 2, 0xFF7F},     {4, 1, 0x7F},       {0, 0, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.value, BigEndianAt(data, c.offset, c.width)) << c.offset << " " << c.width;
    }
    EXPECT_EQ(0xFF, ByteAt(data, 3));
    EXPECT_EQ(0, ByteAt(data, 5));
}

TEST(Dword, EncodesAndDecodesBigEndian) {
    const struct {
        std::int64_t number;
        const char* hex;
    } cases[] = {{0, "00 00 00 00"}, {300, "00 00 01 2C"}, {16777216, "01 00 00 00"}, {2147483647, "7F FF FF FF"}};
    for (const auto& c : cases) {
        EXPECT_BYTES_EQ(Hex(c.hex), NumberToDword(c.number));
        EXPECT_EQ(c.number, DwordToNumber(Hex(c.hex)));
    }
    EXPECT_EQ(-1, DwordToNumber(Hex("FF FF FF FF")));  // a signed reading
    EXPECT_THROW((void)NumberToDword(-1), std::out_of_range);
    EXPECT_THROW((void)NumberToDword(2147483648), std::out_of_range);
    // Other than four bytes is an internal error carrying the bytes and the fixed message.
    EXPECT_THROW((void)DwordToNumber(Hex("")), DwordLengthError);
    EXPECT_THROW((void)DwordToNumber(Hex("01 02 03")), DwordLengthError);
    try {
        (void)DwordToNumber(Hex("01 02 03 04 05"));
        ADD_FAILURE() << "no internal error";
    } catch (const DwordLengthError& error) {
        EXPECT_BYTES_EQ(Hex("01 02 03 04 05"), error.offending());
        EXPECT_STREQ("Vážná vnitřní chyba: Do procedury pro převod z dWord na číslo pronikl řetězec jiné délky než 4B!",
                     error.what());
    }
}

TEST(ReadDwordField, RejectsFieldsOutsideTheDataOrAboveTheSignedRange) {
    const Bytes data = Hex("00 00 01 2C 80 00 00 00 7F");
    EXPECT_EQ(300, *ReadDwordField(data, 0, "x"));
    EXPECT_EQ(0x2C800000, *ReadDwordField(data, 3, "x"));
    EXPECT_EQ(ErrorCode::DamagedData, ReadDwordField(data, 4, "x").error().code);  // first byte 0x80
    EXPECT_EQ("The x is cut off: the data ends after 9 bytes.", ReadDwordField(data, 6, "x").error().message);
    EXPECT_FALSE(ReadDwordField(data, 9, "x"));
    EXPECT_FALSE(ReadDwordField(data, 100, "x"));
}

}  // namespace
}  // namespace belltower::formats
