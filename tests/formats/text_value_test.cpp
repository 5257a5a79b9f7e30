// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/text_value.h"

#include <gtest/gtest.h>

#include <cmath>

#include "formats/message_text.h"

namespace belltower::formats {
namespace {

constexpr double kInf = INFINITY;

TEST(TextValue, ReadsTheLeadingNumber) {
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"  12abc", 12}, {"1 2", 12},        {"&H1F", 31},   {"&O17", 15},
        {"1.5e2", 150},  {"1d2", 100},       {"-3.5", -3.5}, {".5", 0.5},
        {"1.2.3", 1.2},  {"+7", 7},          {"", 0},        {"abc", 0},
        {"\t\n8", 8},    {"7x", 7},          {"2.5", 2.5},   {"1e", 1},
        {"1e+", 1},      {"- 4", -4},        {"1E-2", 0.01}, {"&hff", 255},
        {"&HFFFF", -1},  {"&H10000", 65536}, {"&O8", 0},     {"-", 0},
        {".", 0},        {"3\r4", 3},        {"e5", 0},      {"0x10", 0},
        {"12,5", 12},    {"-.5", -0.5},      {"&Ha0", 160},  {"&HAF", 175},
        {"&HfG", 15},    {"&H9@", 9},        {"&H`", 0},     {"&HFFFFFFFF", -1},
        {"1e999", kInf}, {"-1e999", -kInf},  {"1e-999", 0},  {"&H100000000", kInf},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.value, TextValue(c.text)) << c.text;  // exact: infinity and zero too
    }
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
    const struct {
        double in;
        double out;
    } cases[] = {
        {2.5, 2},    {3.5, 4},  {-2.5, -2},  {0.5, 0},   {1.5, 2},     {-3.5, -4},     {2.4999, 2},
        {2.5001, 3}, {-0.4, 0}, {51.79, 52}, {72.5, 72}, {367.5, 368}, {1102.5, 1102},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_DOUBLE_EQ(c.out, RoundHalfEven(c.in));
    }
}

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
        {NumberText(kInf), "inf"},
        {HexByte(0x7F), "7F"},
        {HexByte(0x0A), "0A"},
        {HexOffset(65580), "0x1002C"},
        {QuotedToken("8c#6"), "\"8c#6\""},
        {QuotedToken("8c\r\n\377d"), "\"8c   d\""},  // one line, whatever the token held
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, c.text);
    }
}

}  // namespace
}  // namespace belltower::formats
