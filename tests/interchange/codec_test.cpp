// SPDX-License-Identifier: GPL-3.0-or-later
// One contract for every codec of the table of formats: a melody written in a format and read
// back is the same melody, as far as the format holds it. What a row says it cannot hold
// decides which melodies it is given and which settings are not compared.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>
#include <vector>

#include "interchange/format_table.h"
#include "melody/rtx_text.h"
#include "melody/tone_encoder.h"
#include "support/hex.h"

namespace belltower::interchange {
namespace {

using formats::Bytes;
using formats::TextFormat;
using melody::MelodyFields;

struct Melody {
    const char* text;  // ringtone text
    // What the notes need beside notes, rests and one tempo, in the words a row's "cannot
    // hold" sentence uses (lower case); a row that names one of them is not given the melody.
    std::vector<std::string_view> needs;
};

// Notes within the octaves, lengths and tempos every format has; no delay but where one is the point.
const Melody kMelodies[] = {
    {"Tune:d=4,o=5,b=125,@=0:c,8d#6,4p,2a.,16g#,32b6,1c6", {}},
    {"Slow:d=8,o=6,b=63,@=0:c,d,e,4f.,2p,g,a,b,16c7.", {}},
    {"Ag\xE9\x80in:d=4,o=6,b=140,@=0:c,c,8c,p,e", {}},  // a Latin-1 name; small pauses between equal notes
    {"Long:d=1,o=5,b=40,@=0:c,p,2d", {}},               // notes the tone data holds in 125-unit pieces
    {"Buzz:d=4,o=5,b=100,@=0:v1,c,d,v0,e", {"vibration"}},
    {"Rush:d=4,o=5,b=100,@=0:c,t200,c,d", {"tempo changes"}},
    {"Short:d=4,o=5,b=125,s=20,@=0:c,d,2e", {"staccato"}},
    {"Number:d=4,o=5,b=125,f=AB,i=7,c=1,@=0:c,d", {}},
    // A file that keeps only one voice of notes and rests keeps a delay as a last rest.
    {"Rest:d=4,o=5,b=125,@=30:c,d", {"one voice"}},
};

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::ranges::transform(lower, lower.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

bool Names(const MelodyFormat& format, const std::vector<std::string_view>& words) {
    const std::string cannot = Lower(format.cannotHold);
    // "everything but notes, rests and one tempo"
    return cannot.find("everything but") != std::string::npos ||
           std::any_of(words.begin(), words.end(),
                       [&](std::string_view word) { return cannot.find(word) != std::string::npos; });
}

// The settings of the edit fields the row's sentence names as not held, put back as written.
void RestoreWhatTheRowCannotHold(const MelodyFormat& format, MelodyFields& read, const MelodyFields& written) {
    if (Names(format, {"delay"})) {
        read.delay = written.delay;
    }
    if (Names(format, {"the id"})) {
        read.id = written.id;
        read.index = written.index;
    }
    if (Names(format, {"play options", "force one play"})) {
        read.forceOnePlay = written.forceOnePlay;
    }
}

// The melody record the phone gets from the fields: the name, the settings and every command.
Bytes Record(const MelodyFields& fields) {
    const auto record = melody::EncodeMelody(fields, TextFormat::Ascii, std::nullopt).record;
    return record ? *record : Bytes{};
}

TEST(Codec, EveryFormatReadsBackWhatItWroteAsFarAsItHoldsIt) {
    std::size_t roundTrips = 0;
    for (const MelodyFormat& format : MelodyFormats()) {
        if (format.write == nullptr) {
            continue;  // read only
        }
        for (const Melody& melody : kMelodies) {
            if (!melody.needs.empty() && Names(format, melody.needs)) {
                continue;
            }
            SCOPED_TRACE(std::string(format.name) + ": " + melody.text);
            MelodyFields fields;
            melody::ReadRtxText(melody.text, fields);
            const auto written = format.write(fields, TextFormat::Ascii);
            ASSERT_TRUE(written) << written.error().message;
            EXPECT_EQ(RecogniseMelody(written->bytes), format.content);
            const auto read = format.read(written->bytes, {});
            ASSERT_TRUE(read) << read.error().message;
            EXPECT_TRUE(read->warnings.empty()) << read->warnings.front();
            MelodyFields kept = read->fields;
            RestoreWhatTheRowCannotHold(format, kept, fields);
            // The same melody to the phone: the same record, byte for byte.
            EXPECT_BYTES_EQ(Record(fields), Record(kept)) << read->fields.notes;
            // Ringtone text keeps the melody as typed.
            if (format.content == MelodyContent::Ringtone) {
                EXPECT_EQ(melody::ReadScore(read->fields), melody::ReadScore(fields));
            }
            ++roundTrips;
        }
    }
    EXPECT_GE(roundTrips, 40U);  // every row that writes gets most melodies
}

}  // namespace
}  // namespace belltower::interchange
