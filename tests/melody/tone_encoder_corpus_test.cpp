// Real ringtone lines, read as a freshly opened window would read them, through the encoder.
#include <gtest/gtest.h>

#include <fstream>
#include <iostream>
#include <map>
#include <regex>

#include "formats/record.h"
#include "melody/rtx_text.h"
#include "melody/tone_encoder.h"

namespace belltower::melody {
namespace {

using formats::TextFormat;

// A failure message with its token and numbers blanked, so failures of one kind count together.
std::string MessageKind(const std::string& message) {
    static const std::regex token(R"("[^"]*")");
    static const std::regex number(R"(-?[0-9]+(\.[0-9]+)?(e[+-]?[0-9]+)?)");
    return std::regex_replace(std::regex_replace(message, token, "\"...\""), number, "#");
}

TEST(ToneEncoderCorpus, EncodesRealRingtonesOrSaysWhyNot) {
    std::ifstream corpus(BELLTOWER_CORPUS, std::ios::binary);
    if (!corpus) {
        GTEST_SKIP() << "corpus not found at " << BELLTOWER_CORPUS;
    }
    std::size_t lines = 0;
    std::size_t encoded = 0;
    std::map<std::string, std::size_t> failures;
    std::string line;
    while (std::getline(corpus, line)) {
        ++lines;
        MelodyFields fields;
        ReadRtxText(line, fields);
        bool allEncoded = true;
        for (const auto form : {TextFormat::Ascii, TextFormat::Unicode}) {
            const auto result = EncodeMelody(fields, form, std::nullopt);
            if (!result.record) {
                EXPECT_FALSE(result.record.error().message.empty()) << line;
                if (form == TextFormat::Ascii) {
                    ++failures[MessageKind(result.record.error().message)];
                }
                allEncoded = false;
                continue;
            }
            const auto& record = *result.record;
            EXPECT_EQ(record.size() % 4, 0u) << line;
            EXPECT_EQ(*formats::RecordLengthField(record), static_cast<std::int32_t>(record.size())) << line;
            EXPECT_EQ(*formats::RecordDisplayName(record, form), fields.name) << line;
        }
        encoded += allEncoded ? 1 : 0;
    }
    std::cout << "corpus: " << lines << " lines, " << encoded << " encoded in both forms, " << lines - encoded
              << " failed\n";
    for (const auto& [kind, count] : failures) {
        std::cout << "  " << count << " x " << kind << "\n";
    }
    ASSERT_GT(lines, 0u);
    EXPECT_GE(static_cast<double>(encoded), 0.99 * static_cast<double>(lines));
}

}  // namespace
}  // namespace belltower::melody
