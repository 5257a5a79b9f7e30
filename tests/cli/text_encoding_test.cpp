#include "cli/text_encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace belltower::cli {
namespace {

TEST(TextEncoding, NamesReachTheTerminalAsUtf8WithoutControlCharacters) {
    EXPECT_EQ("Gr\xC3\xBC\xC3\x9F \xC3\xBF", Latin1ToUtf8("Gr\xFC\xDF \xFF"));
    // A name cannot move the cursor or clear the screen: 00..1F and 7F..9F print as "?".
    EXPECT_EQ("a?b?????\xC2\xA0", PrintableUtf8(std::string("a\0b\n\x1B\x7F\x80\x9F\xA0", 9)));
}

TEST(TextEncoding, CommandLineTextsBecomeLatin1) {
    struct Case {
        std::string argument;
        std::string latin1;  // empty: refused
    };
    const Case cases[] = {
        {"F\xC3\xBC\xC3\x9F", "F\xFC\xDF"},  // UTF-8 from the shell
        {"F\xFC\xDF", "F\xFC\xDF"},          // not UTF-8: already Latin-1
        {"\xC3", "\xC3"},                    // cut short: not UTF-8
        {"\xC0\xA0", "\xC0\xA0"},            // overlong form: not UTF-8
        {"\xE2\x82\xAC uro", ""},            // U+20AC fits no record
        {"\xF0\x9F\x8E\xB5", ""},            // nor does U+1F3B5
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.argument);
        const auto converted = ArgumentToLatin1(c.argument, "name");
        ASSERT_EQ(!c.latin1.empty(), converted.has_value());
        EXPECT_EQ(c.latin1.empty() ? "The name holds a character the phone cannot store: only Latin-1 characters fit."
                                   : c.latin1,
                  c.latin1.empty() ? converted.error().message : *converted);
    }
}

}  // namespace
}  // namespace belltower::cli
