// SPDX-License-Identifier: GPL-3.0-or-later
// Real ringtone lines, read as a freshly opened window would read them, and random melodies over every setting: through
// the RTX writer and reader, the typed melody, the encoder and the decoder.
#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "formats/record.h"
#include "melody/rtx_text.h"
#include "melody/tone_decoder.h"
#include "melody/tone_encoder.h"
#include "support/hex.h"

namespace belltower::melody {
namespace {

using formats::Bytes;
using formats::TextFormat;

// The record as decoded, encoded again, gives it back; the failure names the first differing byte.
::testing::AssertionResult RoundTrips(const Bytes& record, TextFormat form, const DecodedMelody& decoded) {
    const auto again = EncodeMelody(decoded.fields, form, std::nullopt).record;
    if (decoded.exact && again && *again == record && decoded.losses.empty()) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "decoded as \"" << decoded.fields.notes << "\" t" << decoded.fields.tempo
                                         << " s" << decoded.fields.staccato << " "
                                         << belltower::testing::BytesEqual(record, again ? *again : Bytes{}).message();
}

TEST(ToneEncoderCorpus, EncodesRealRingtonesOrSaysWhyNot) {
    std::ifstream corpus(BELLTOWER_CORPUS, std::ios::binary);
    if (!corpus) {
        GTEST_SKIP() << "corpus not found at " << BELLTOWER_CORPUS;
    }
    std::size_t lines = 0;
    std::size_t encoded = 0;
    // Of equal readings the decoder writes the one a person most likely typed. Its readings of
    // every line, folded into one FNV-1a digest, change only by a deliberate change of that choice.
    std::uint64_t readings = 14695981039346656037U;
    std::string line;
    while (std::getline(corpus, line)) {
        ++lines;
        MelodyFields fields;
        ReadRtxText(line, fields);
        // Names and notes survive a write and a read unless a name carries a colon.
        MelodyFields again;
        ReadRtxText(WriteRtxText(fields), again);
        EXPECT_TRUE(again.notes == fields.notes &&
                    (again.name == fields.name || fields.name.find(':') != std::string::npos))
            << line;
        bool allEncoded = true;
        for (const auto form : {TextFormat::Ascii, TextFormat::Unicode}) {
            const auto result = EncodeMelody(fields, form, std::nullopt);
            if (!result.record) {
                // Tempo 0 or an octave too high: the message says which.
                EXPECT_FALSE(result.record.error().message.empty()) << line;
                allEncoded = false;
                continue;
            }
            const auto& record = *result.record;
            EXPECT_EQ(record.size() % 4, 0u) << line;
            EXPECT_EQ(*formats::RecordLengthField(record), static_cast<std::int32_t>(record.size())) << line;
            EXPECT_EQ(*formats::RecordDisplayName(record, form), fields.name) << line;
            const DecodedMelody decoded = DecodeMelody(record);
            EXPECT_TRUE(RoundTrips(record, form, decoded)) << line;
            const MelodyFields& read = decoded.fields;
            for (const char c : read.tempo + "/" + read.duration + "/" + read.octave + ":" + read.notes + "\n") {
                readings = (readings ^ static_cast<unsigned char>(c)) * 1099511628211U;
            }
            // The typed melody written out as fields and read again encodes the same.
            const auto rewritten = EncodeScore(ReadScore(WriteFields(ReadScore(fields))), form).record;
            EXPECT_TRUE(rewritten && *rewritten == record) << line;
        }
        encoded += allEncoded ? 1 : 0;
    }
    ASSERT_GT(lines, 900u);
    EXPECT_GE(static_cast<double>(encoded), 0.99 * static_cast<double>(lines));
    EXPECT_EQ(readings, 7330961761404836745U) << "the decoder reads some real ringtones another way";
}

// Random melodies over every setting the encoder reads decode exactly.
TEST(ToneDecoder, RoundTripsGeneratedMelodies) {
    std::mt19937 random(20261206);
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const auto number = [&](int from, int count) { return std::to_string(from + pick(count)); };
    const std::string letters = "cdefgabhp-";
    for (int round = 0; round < 400; ++round) {
        MelodyFields fields{.name = "Gen" + std::to_string(round),
                            .duration = std::to_string(1 << pick(6)),
                            .octave = number(4, 4),
                            .tempo = number(30, 300),
                            .id = pick(2) == 1 ? "AB" : "",
                            .delay = pick(4) == 0 ? "0" : number(0, 256),
                            .index = number(0, 1000),
                            .staccato = pick(3) == 0 ? number(1, 40) : "0",
                            .playTwice = pick(2) == 1,
                            .forceOnePlay = pick(2) == 1,
                            .noSmallPauses = pick(4) == 0};
        for (int i = pick(40); i > 0; --i) {
            const int kind = pick(12);  // a tempo tag, a vibration tag, or (mostly) a note or pause
            fields.notes += kind == 0   ? "t" + number(20, 400)
                            : kind == 1 ? "v" + number(0, 2)
                                        : (pick(2) == 1 ? std::to_string(1 << pick(6)) : "") +
                                              letters[static_cast<std::size_t>(pick(10))] + (pick(4) == 0 ? "#" : "") +
                                              (pick(2) == 1 ? number(4, 4) : "") + (pick(4) == 0 ? "." : "");
            fields.notes += " ";
        }
        for (const auto form : {TextFormat::Ascii, TextFormat::Unicode}) {
            const auto record = EncodeMelody(fields, form, std::nullopt).record;
            if (record) {  // the encoder may refuse it (an octave too high)
                EXPECT_TRUE(RoundTrips(*record, form, DecodeMelody(*record))) << fields.notes;
            }
        }
    }
}

}  // namespace
}  // namespace belltower::melody
