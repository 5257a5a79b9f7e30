// The tone decoder on tone data the encoder never writes: it plays the same and says what it
// lost. (What the encoder writes comes back exactly: see the encoder's table and the round trips.)
#include "melody/tone_decoder.h"

#include <gtest/gtest.h>

#include "melody/tone_encoder.h"
#include "support/hex.h"

namespace belltower::melody {
namespace {

TEST(ToneDecoder, PlaysForeignToneDataTheSameAndListsWhatItLost) {
    const struct {
        const char* what;
        const char* toneData;
        const char* notes;       // the closest text
        std::size_t lossOffset;  // where the first loss stands
    } table[] = {
        {"repeat unrolled", "00 02 FC 09 0A 01 05 02 8B 34 06 8D 34 0A FE 07 0B", "c c d", 10},
        {"unknown command skipped", "00 02 FC 09 0A 01 8B 34 12 34 8D 34 0A FE 07 0B", "c d", 8},
        {"no opening", "8B 34 8D 34", "v0 c d", 0},
        {"bytes after the end", "00 02 FC 09 0A 01 8B 34 0A FE 07 0B 8B 34", "c", 12},
    };
    for (const auto& row : table) {
        const DecodedMelody decoded = DecodeMelody(belltower::testing::Hex(row.toneData));
        EXPECT_FALSE(decoded.exact) << row.what;
        ASSERT_FALSE(decoded.losses.empty()) << row.what;
        EXPECT_EQ(decoded.losses.front().offset, row.lossOffset) << row.what;
        EXPECT_EQ(decoded.fields.notes, row.notes) << row.what;
    }
}

TEST(ToneDecoder, NeverFailsOnAnyPrefixOfARecord) {
    const MelodyFields fields{.name = "Prefix", .tempo = "140", .notes = "4c 8d# 1g t90 v0 2a."};
    for (const auto form : {formats::TextFormat::Ascii, formats::TextFormat::Unicode}) {
        const formats::Bytes record = *EncodeMelody(fields, form, std::nullopt).record;
        for (std::size_t size = 0; size <= record.size(); ++size) {
            const DecodedMelody decoded = DecodeMelody(formats::Mid(record, 0, size));
            EXPECT_EQ(decoded.exact, size == record.size()) << size;
        }
    }
}

}  // namespace
}  // namespace belltower::melody
