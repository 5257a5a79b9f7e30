// SPDX-License-Identifier: GPL-3.0-or-later
// Melodies encoded per second: every line of the ringtone corpus when it is there, otherwise a
// built-in set of generated melodies of typical length.
#include <benchmark/benchmark.h>

#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "melody/rtx_text.h"
#include "melody/tone_encoder.h"

namespace {

using belltower::formats::TextFormat;
using belltower::melody::MelodyFields;

// Sixty melodies of 40 to 100 notes, stepping through durations, letters, sharps, dots,
// octaves, pauses and the occasional tempo or vibration tag.
std::vector<MelodyFields> BuiltInMelodies() {
    static constexpr const char* kDurations[] = {"", "4", "8", "16", "2", "32"};
    static constexpr const char* kLetters[] = {"c", "d", "e", "f", "g", "a", "b", "h", "p"};
    std::vector<MelodyFields> melodies;
    unsigned state = 12345;
    const auto next = [&state](unsigned range) {
        state = state * 1103515245u + 12345u;
        return (state >> 16) % range;
    };
    for (int m = 0; m < 60; ++m) {
        MelodyFields fields;
        fields.name = "Melody " + std::to_string(m);
        fields.tempo = std::to_string(80 + 10 * (m % 12));
        const unsigned notes = 40 + next(61);
        for (unsigned n = 0; n < notes; ++n) {
            if (next(25) == 0) {
                fields.notes += next(2) == 0 ? "t" + std::to_string(90 + next(100)) : "v" + std::to_string(next(2));
            } else {
                fields.notes += kDurations[next(6)];
                fields.notes += kLetters[next(9)];
                fields.notes += next(4) == 0 ? "#" : "";
                fields.notes += next(6) == 0 ? "." : "";
                fields.notes += next(3) == 0 ? std::to_string(4 + next(4)) : "";
            }
            fields.notes += ",";
        }
        melodies.push_back(std::move(fields));
    }
    return melodies;
}

const std::vector<MelodyFields>& Melodies() {
    static const std::vector<MelodyFields> melodies = [] {
        std::ifstream corpus(BELLTOWER_CORPUS, std::ios::binary);
        if (!corpus) {
            std::cerr << "corpus not found at " << BELLTOWER_CORPUS << ": using built-in melodies\n";
            return BuiltInMelodies();
        }
        std::vector<MelodyFields> lines;
        std::string line;
        while (std::getline(corpus, line)) {
            MelodyFields fields;
            belltower::melody::ReadRtxText(line, fields);
            lines.push_back(std::move(fields));
        }
        return lines;
    }();
    return melodies;
}

void EncodeAll(benchmark::State& state, TextFormat form) {
    const auto& melodies = Melodies();
    for (auto _ : state) {
        for (const auto& fields : melodies) {
            auto result = belltower::melody::EncodeMelody(fields, form, std::nullopt);
            benchmark::DoNotOptimize(result);
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(melodies.size()));
    state.SetLabel(std::to_string(melodies.size()) + " melodies");
}

void BM_EncodeAscii(benchmark::State& state) {
    EncodeAll(state, TextFormat::Ascii);
}
void BM_EncodeUnicode(benchmark::State& state) {
    EncodeAll(state, TextFormat::Unicode);
}

}  // namespace

BENCHMARK(BM_EncodeAscii)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeUnicode)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
