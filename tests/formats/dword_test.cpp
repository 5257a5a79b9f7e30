#include "formats/dword.h"

#include <gtest/gtest.h>

#include "support/hex.h"

namespace belltower::formats {
namespace {

using testing::Hex;

TEST(Dword, EncodesAndDecodesBigEndian) {
    const struct {
        std::int64_t number;
        const char* hex;
    } cases[] = {
        {0, "00 00 00 00"},
        {300, "00 00 01 2C"},
        {16777216, "01 00 00 00"},
        {2147483647, "7F FF FF FF"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        EXPECT_BYTES_EQ(Hex(c.hex), NumberToDword(c.number));
        EXPECT_EQ(c.number, DwordToNumber(Hex(c.hex)));
    }
}

TEST(Dword, RefusesNumbersOutsideTheFieldRange) {
    EXPECT_THROW((void)NumberToDword(-1), std::out_of_range);
    EXPECT_THROW((void)NumberToDword(2147483648), std::out_of_range);
}

TEST(Dword, OtherThanFourBytesIsAnInternalErrorCarryingTheBytes) {
    for (const char* hex : {"", "01 02 03", "01 02 03 04 05"}) {
        SCOPED_TRACE(hex);
        try {
            (void)DwordToNumber(Hex(hex));
            FAIL() << "no internal error";
        } catch (const DwordLengthError& error) {
            EXPECT_BYTES_EQ(Hex(hex), error.offending());
            EXPECT_STREQ(kDwordInternalErrorText, error.what());
        }
    }
}

TEST(Dword, InternalErrorTextIsTheFixedMessage) {
    EXPECT_EQ(
        std::string("Vážná vnitřní chyba: Do procedury pro převod z dWord na číslo pronikl řetězec jiné délky než 4B!"),
        kDwordInternalErrorText);
}

TEST(ReadDwordField, RejectsFieldsOutsideTheDataOrAboveTheSignedRange) {
    const Bytes data = Hex("00 00 01 2C 80 00 00 00 7F");
    EXPECT_EQ(300, *ReadDwordField(data, 0, "x"));
    EXPECT_EQ(ErrorCode::DamagedData, ReadDwordField(data, 4, "x").error().code);  // first byte 0x80
    EXPECT_FALSE(ReadDwordField(data, 6, "x"));                                    // runs past the end
    EXPECT_FALSE(ReadDwordField(data, 9, "x"));
    EXPECT_FALSE(ReadDwordField(data, 100, "x"));
}

}  // namespace
}  // namespace belltower::formats
