// The tone decoder: encoder output comes back exactly and readably; anything else plays the
// same and says what it lost.
#include <gtest/gtest.h>

#include <fstream>
#include <iostream>
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

Bytes Encode(const MelodyFields& fields, TextFormat form) {
    auto encoded = EncodeMelody(fields, form, std::nullopt);
    return encoded.record ? *encoded.record : Bytes{};
}

// Record -> fields -> record; the failure names the first differing byte.
::testing::AssertionResult RoundTrips(const MelodyFields& fields, TextFormat form) {
    const Bytes record = Encode(fields, form);
    if (record.empty()) {
        return ::testing::AssertionSuccess();  // the encoder refuses it; nothing to decode
    }
    const DecodedMelody decoded = DecodeMelody(record);
    const Bytes again = Encode(decoded.fields, form);
    if (decoded.exact && again == record && decoded.losses.empty()) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "notes \"" << fields.notes << "\" decoded as \"" << decoded.fields.notes
                                         << "\" t" << decoded.fields.tempo << " d" << decoded.fields.duration << " o"
                                         << decoded.fields.octave << " s" << decoded.fields.staccato << " "
                                         << belltower::testing::BytesEqual(record, again).message();
}

TEST(ToneDecoder, RoundTripsEveryCorpusMelodyInBothFormats) {
    std::ifstream corpus(BELLTOWER_CORPUS, std::ios::binary);
    if (!corpus) {
        GTEST_SKIP() << "corpus not found at " << BELLTOWER_CORPUS;
    }
    std::size_t records = 0;
    std::size_t tags = 0;
    std::string line;
    while (std::getline(corpus, line)) {
        MelodyFields fields;
        ReadRtxText(line, fields);
        for (const auto form : {TextFormat::Ascii, TextFormat::Unicode}) {
            EXPECT_TRUE(RoundTrips(fields, form)) << line;
            records += Encode(fields, form).empty() ? 0u : 1u;
        }
        const Bytes record = Encode(fields, TextFormat::Ascii);
        if (!record.empty()) {
            const std::string notes = DecodeMelody(record).fields.notes;
            tags += static_cast<std::size_t>(std::count(notes.begin(), notes.end(), 't'));
        }
    }
    std::cout << "corpus: " << records << " records decoded and encoded again; " << tags
              << " tempo tags in the decoded texts\n";
}

// Random melodies over every setting the encoder reads.
TEST(ToneDecoder, RoundTripsGeneratedMelodies) {
    std::mt19937 random(20261206);
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const std::vector<std::string> letters = {"c", "d", "e", "f", "g", "a", "b", "h", "p", "-"};
    for (int round = 0; round < 400; ++round) {
        MelodyFields fields;
        fields.name = "Gen" + std::to_string(round);
        fields.duration = std::to_string(1 << pick(6));
        fields.octave = std::to_string(4 + pick(4));
        fields.tempo = std::to_string(30 + pick(300));
        fields.staccato = pick(3) == 0 ? std::to_string(1 + pick(40)) : "0";
        fields.delay = std::to_string(pick(4) == 0 ? 0 : pick(256));
        fields.playTwice = pick(2) == 1;
        fields.forceOnePlay = pick(2) == 1;
        fields.noSmallPauses = pick(4) == 0;
        fields.index = std::to_string(pick(1000));
        fields.id = pick(2) == 1 ? "AB" : "";
        const int count = pick(40);
        for (int i = 0; i < count; ++i) {
            std::string token;
            switch (pick(12)) {
            case 0:
                token = "t" + std::to_string(20 + pick(400));
                break;
            case 1:
                token = "v" + std::to_string(pick(2));
                break;
            default:
                token = (pick(2) == 1 ? std::to_string(1 << pick(6)) : "") +
                        letters[static_cast<std::size_t>(pick(10))] + (pick(4) == 0 ? "#" : "") +
                        (pick(2) == 1 ? std::to_string(4 + pick(4)) : "") + (pick(4) == 0 ? "." : "");
            }
            fields.notes += token + " ";
        }
        for (const auto form : {TextFormat::Ascii, TextFormat::Unicode}) {
            EXPECT_TRUE(RoundTrips(fields, form));
        }
    }
}

struct DecodedText {
    const char* what;
    MelodyFields fields;  // encoded, then decoded
    const char* notes;    // the decoded notes text
    const char* tempo;
    const char* staccato;
};

MelodyFields Melody(const char* notes, const char* tempo = "140") {
    MelodyFields fields;
    fields.notes = notes;
    fields.tempo = tempo;
    return fields;
}

MelodyFields With(MelodyFields fields, void (*change)(MelodyFields&)) {
    change(fields);
    return fields;
}

TEST(ToneDecoder, WritesReadableText) {
    const DecodedText table[] = {
        {"plain notes, default duration and octave", Melody("8c 8d 8e 4f#5 8p 16g."), "c d e 4f#5 p 16g.", "140", "0"},
        {"tempo change", Melody("4c 4d t100 4e 4f"), "c d t100 e f", "140", "0"},
        {"vibration off and on", Melody("4c v0 4d v1 4e"), "c v0 d v1 e", "140", "0"},
        {"staccato 6", With(Melody("4c 4c 8d"), [](MelodyFields& f) { f.staccato = "6"; }), "c c 8d", "140", "6"},
        {"delay 15", With(Melody("4c"), [](MelodyFields& f) { f.delay = "15"; }), "c", "140", "0"},
        {"play twice", With(Melody("4c"), [](MelodyFields& f) { f.playTwice = true; }), "c", "140", "0"},
        {"play once", With(Melody("4c"), [](MelodyFields& f) { f.forceOnePlay = true; }), "c", "140", "0"},
        {"a 580-unit note in five pieces", Melody("1c", "50"), "c", "50", "0"},
        {"equal notes with the small pause", Melody("4c 4c"), "c c", "140", "0"},
        {"equal notes without it", With(Melody("4c 4c"), [](MelodyFields& f) { f.noSmallPauses = true; }), "c c", "140",
         "0"},
    };
    for (const auto& row : table) {
        const Bytes record = Encode(row.fields, TextFormat::Ascii);
        const DecodedMelody decoded = DecodeMelody(record);
        EXPECT_EQ(decoded.fields.notes, row.notes) << row.what;
        EXPECT_EQ(decoded.fields.tempo, row.tempo) << row.what;
        EXPECT_EQ(decoded.fields.staccato, row.staccato) << row.what;
        EXPECT_EQ(decoded.fields.delay, row.fields.delay) << row.what;
        EXPECT_EQ(decoded.fields.playTwice, row.fields.playTwice) << row.what;
        EXPECT_EQ(decoded.fields.forceOnePlay, row.fields.forceOnePlay) << row.what;
        EXPECT_EQ(decoded.fields.noSmallPauses, row.fields.noSmallPauses) << row.what;
        EXPECT_TRUE(decoded.exact) << row.what;
    }
}

struct ForeignData {
    const char* what;
    const char* toneData;    // hex
    const char* notes;       // the closest text
    std::size_t lossOffset;  // where the first loss stands
};

TEST(ToneDecoder, PlaysForeignToneDataTheSameAndListsWhatItLost) {
    const ForeignData table[] = {
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
    MelodyFields fields = Melody("4c 8d# 1g t90 v0 2a.");
    fields.name = "Prefix";
    for (const auto form : {TextFormat::Ascii, TextFormat::Unicode}) {
        const Bytes record = Encode(fields, form);
        for (std::size_t size = 0; size <= record.size(); ++size) {
            const DecodedMelody decoded = DecodeMelody(formats::Mid(record, 0, size));
            EXPECT_EQ(decoded.exact, size == record.size()) << size;
        }
    }
}

}  // namespace
}  // namespace belltower::melody
