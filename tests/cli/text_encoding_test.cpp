#include "cli/text_encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace belltower::cli {
namespace {

TEST(TextEncoding, Latin1TextsReachTheTerminalAsUtf8) {
    struct Case {
        std::string latin1;
        std::string utf8;
        std::string printable;
        std::string json;
    };
    const Case cases[] = {
        {"Beep 1", "Beep 1", "Beep 1", "\"Beep 1\""},
        {"Gr\xFC\xDF", "Gr\xC3\xBC\xC3\x9F", "Gr\xC3\xBC\xC3\x9F", "\"Gr\xC3\xBC\xC3\x9F\""},
        {"\xFF\xA0", "\xC3\xBF\xC2\xA0", "\xC3\xBF\xC2\xA0", "\"\xC3\xBF\xC2\xA0\""},
        {std::string("a\0b\n\x1F", 5), std::string("a\0b\n\x1F", 5), "a?b??", "\"a\\u0000b\\u000a\\u001f\""},
        {"\x7F\x80\x9F", "\x7F\xC2\x80\xC2\x9F", "???", "\"\x7F\xC2\x80\xC2\x9F\""},
        {"say \"hi\" \\", "say \"hi\" \\", "say \"hi\" \\", "\"say \\\"hi\\\" \\\\\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.json);
        EXPECT_EQ(c.utf8, Latin1ToUtf8(c.latin1));
        EXPECT_EQ(c.printable, PrintableUtf8(c.latin1));
        EXPECT_EQ(c.json, JsonString(c.latin1));
    }
}

TEST(TextEncoding, CommandLineTextsBecomeLatin1) {
    struct Case {
        std::string argument;
        std::string latin1;  // empty: refused
    };
    const Case cases[] = {
        {"Fanfare", "Fanfare"},     {"F\xC3\xBC\xC3\x9F", "F\xFC\xDF"},  // UTF-8 from the shell
        {"F\xFC\xDF", "F\xFC\xDF"},                                     // not UTF-8: already Latin-1
        {"\xC3\xBF", "\xFF"},       {"\xC3", "\xC3"},                   // cut short: not UTF-8
        {"\xC0\xA0", "\xC0\xA0"},                                       // overlong form: not UTF-8
        {"\xE2\x82\xAC uro", ""},                                       // U+20AC fits no record
        {"\xF0\x9F\x8E\xB5", ""},                                       // nor does U+1F3B5
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.argument);
        const auto converted = ArgumentToLatin1(c.argument, "name");
        if (c.latin1.empty()) {
            ASSERT_FALSE(converted.has_value());
            EXPECT_EQ("The name holds a character the phone cannot store: only Latin-1 characters fit.",
                      converted.error().message);
        } else {
            ASSERT_TRUE(converted.has_value());
            EXPECT_EQ(c.latin1, *converted);
        }
    }
}

}  // namespace
}  // namespace belltower::cli
