// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/message_text.h"

#include <gtest/gtest.h>

#include <cmath>

namespace belltower::formats {
namespace {

TEST(MessageText, ValuesReadTheSameInEveryMessage) {
    const struct {
        std::string text;
        std::string expected;
    } cases[] = {
        {NumberText(180), "180"},
        {NumberText(-3), "-3"},
        {NumberText(1.0 / 3), "0.3333333333"},
        {NumberText(1e14), "100000000000000"},  // still whole
        {NumberText(1e15), "1e+15"},
        {NumberText(INFINITY), "inf"},
        {HexByte(0x7F), "7F"},
        {HexByte(0x0A), "0A"},
        {HexOffset(65580), "0x1002C"},
        {QuotedToken("8c#6"), "\"8c#6\""},
        {QuotedToken("8c\r\n\xFF"
                     "d"),
         "\"8c   d\""},  // one line, whatever the token held
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, c.text);
    }
}

}  // namespace
}  // namespace belltower::formats
