// SPDX-License-Identifier: GPL-3.0-or-later
// "Will it fit?": each figure at the limit the phone sets and one step past it.
#include "interchange/fit.h"

#include <gtest/gtest.h>

#include "melody/tone_encoder.h"
#include "support/hostile_inputs.h"

namespace belltower::interchange {
namespace {

using melody::MelodyFields;
using Names = std::vector<std::string>;
using testing::Repeated;

MelodyFit Fit(const MelodyFields& fields) {
    const formats::Result<MelodyFit> fit = FitFields(fields);
    EXPECT_TRUE(fit.has_value());
    return fit ? *fit : MelodyFit{};
}

// Each note instruction of an .ott file takes 12 bits and each title character 8, so these
// melodies end exactly at the SMS limits: 133 bytes in one SMS, then 128 a part up to 3 parts.
TEST(Fit, SmartMessagingBytesAndParts) {
    const struct {
        std::size_t notes;
        const char* name;
        std::size_t bytes;
        std::optional<std::size_t> parts;
    } cases[] = {
        {81, "a", 133, 1}, {82, "", 134, 2},  {163, "a", 256, 2},
        {164, "", 257, 3}, {249, "", 384, 3}, {249, "a", 385, std::nullopt},
    };
    for (const auto& c : cases) {
        const MelodyFit fit = Fit({.name = c.name, .notes = Repeated("c ", c.notes - 1) + "c"});
        EXPECT_EQ(fit.sms.bytes, c.bytes) << c.notes;
        EXPECT_EQ(fit.sms.parts, c.parts) << c.notes;
        EXPECT_EQ(fit.smsProblems.size(), c.parts ? 0U : 1U) << c.notes;
    }
}

// Notes and rests up to 50, three octaves c to b, lengths 1 to 32: one problem named for each.
TEST(Fit, ComposerLimits) {
    const struct {
        std::string notes;
        Names problems;
        const char* duration = "8";
    } cases[] = {
        {Repeated("c ", 49) + "p", {}},
        {Repeated("c ", 50) + "p", {"The Composer holds 50 notes and rests; the melody has 51."}},
        {"c4 b6 32a5 1.g5", {}},
        {"c4 c7", {"The notes span 4 octaves (4 to 7); the Composer holds 3."}},
        {"b3 c6 64c 3d",
         {"The notes span 4 octaves (3 to 6); the Composer holds 3.",
          "The Composer has no length for 64c, 3d: it holds 1 to 32."}},
        {"c 4d p", {"The Composer has no length for 64c, 64p: it holds 1 to 32."}, "64"},  // the default length
    };
    for (const auto& c : cases) {
        const MelodyFit fit = Fit({.duration = c.duration, .notes = c.notes});
        EXPECT_EQ(fit.composer.problems, c.problems) << c.notes;
        EXPECT_EQ(fit.composer.fits, c.problems.empty()) << c.notes;
    }
}

// Sounding notes only: a whole note at 40 beats a minute is six 125-unit pieces and counts
// once, pauses do not count, the one-unit delay ends the melody; out-of-range notes are named once each, per hardware.
TEST(Fit, NotesSecondsAndRange) {
    const struct {
        std::string notes;
        std::size_t count;
        double seconds;
        Names phone;
        Names logoManager;
    } cases[] = {
        {"t40 1c5 4p 4c5", 2, (725.0 + 181 + 181 + 1) / 120, {}, {}},
        {"4g4 4c4 4b3 4g4 4a4", 5, (5 * 52.0 + 1) / 120, {"g4", "c4", "b3"}, {"b3"}},
        {"", 0, 1.0 / 120, {}, {}},
    };
    for (const auto& c : cases) {
        const MelodyFit fit = Fit({.tempo = "140", .notes = c.notes});
        EXPECT_EQ(fit.notes, c.count) << c.notes;
        EXPECT_NEAR(fit.seconds, c.seconds, 1e-9) << c.notes;
        EXPECT_EQ(fit.outOfRangePhone, c.phone) << c.notes;
        EXPECT_EQ(fit.outOfRangeLogoManager, c.logoManager) << c.notes;
    }
}

// A record gives the figures of its own tone data, the same as the fields that wrote it.
TEST(Fit, RecordFiguresEqualTheFieldsThatWroteIt) {
    const MelodyFields fields{.name = "Tune", .notes = "4g4 8c5 2e6 4p 16g#6"};
    const melody::EncodeResult encoded = melody::EncodeMelody(fields, formats::TextFormat::Unicode, std::nullopt);
    const MelodyFit fromRecord = FitRecord(*encoded.record);
    const MelodyFit fromFields = Fit(fields);
    EXPECT_EQ(fromRecord.toneDataBytes, encoded.toneData.size());
    EXPECT_EQ(fromRecord.notes, fromFields.notes);
    EXPECT_EQ(fromRecord.seconds, fromFields.seconds);
    EXPECT_EQ(fromRecord.outOfRangePhone, Names{"g4"});
    EXPECT_EQ(fromRecord.sms.bytes, fromFields.sms.bytes);
    EXPECT_EQ(FitSummary(fromFields),
              "4 notes, 2.1 s; tone data 22 bytes; .ott 23 bytes, 1 SMS; Composer: fits; phone: 1 note out of range");
}

}  // namespace
}  // namespace belltower::interchange
