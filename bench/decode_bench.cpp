// SPDX-License-Identifier: GPL-3.0-or-later
// Melodies decoded per second: every line of the ringtone corpus encoded once, then its
// records decoded back to the edit fields; and one stretch of 64 KB of tone data, as long as a
// melody may be. Without the corpus, a built-in set of generated melodies stands in.
#include <benchmark/benchmark.h>

#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "formats/record.h"
#include "formats/tone_commands.h"
#include "interchange/midi.h"
#include "melody/rtx_text.h"
#include "melody/tone_decoder.h"
#include "melody/tone_encoder.h"

namespace {

using belltower::formats::Bytes;
using belltower::formats::TextFormat;
using belltower::melody::MelodyFields;

std::vector<MelodyFields> Ringtones() {
    std::vector<MelodyFields> melodies;
    std::ifstream corpus(BELLTOWER_CORPUS, std::ios::binary);
    if (!corpus) {
        std::cerr << "corpus not found at " << BELLTOWER_CORPUS << ": using built-in melodies\n";
        static constexpr const char* kTokens[] = {"8c", "8d#", "4e", "16f.", "8g6", "4p", "2a5", "8b", "t180", "v0"};
        for (int m = 0; m < 60; ++m) {
            MelodyFields fields;
            for (int n = 0; n < 60; ++n) {
                fields.notes += std::string(kTokens[(m * 7 + n * 3) % 10]) + " ";
            }
            melodies.push_back(std::move(fields));
        }
        return melodies;
    }
    std::string line;
    while (std::getline(corpus, line)) {
        MelodyFields fields;
        belltower::melody::ReadRtxText(line, fields);
        melodies.push_back(std::move(fields));
    }
    return melodies;
}

const std::vector<Bytes>& Records() {
    static const std::vector<Bytes> records = [] {
        std::vector<Bytes> encoded;
        for (const MelodyFields& fields : Ringtones()) {
            auto result = belltower::melody::EncodeMelody(fields, TextFormat::Ascii, std::nullopt);
            if (result.record) {
                encoded.push_back(std::move(*result.record));
            }
        }
        return encoded;
    }();
    return records;
}

// The notes of the corpus melodies one after another, as bare tone data of 64 KB: the opening,
// the note commands of record after record, the closing marker and the end.
const Bytes& LongToneData() {
    static const Bytes data = [] {
        constexpr std::size_t kOpening = belltower::formats::tone::kOpening.size();
        constexpr std::size_t kClosing = 4;
        constexpr std::size_t kSize = belltower::melody::kMaxToneDataBytes - 1;  // whole commands
        namespace tone = belltower::formats::tone;
        Bytes tones(tone::kOpening.begin(), tone::kOpening.end());
        while (tones.size() + kClosing < kSize) {
            for (const Bytes& record : Records()) {
                // Tone data of an encoded ASCII record: after the name and its terminator, up to
                // the closing marker, delay and end (the last 8 bytes before the fill at most).
                const std::size_t start = 18 + record[16] - 1 + kOpening;
                const Bytes tail = belltower::formats::StripFill(belltower::formats::Mid(record, start, record.size()));
                const std::size_t body = tail.size() >= 8 ? tail.size() - 8 : 0;
                for (std::size_t i = 0; i + 1 < body && tones.size() + kClosing < kSize; i += 2) {
                    tones.push_back(tail[i]);
                    tones.push_back(tail[i + 1]);
                }
            }
        }
        tones.insert(tones.end(), {tone::kVibration, tone::kVibrationOff, tone::kEndCode, tone::kEndParameter});
        return tones;
    }();
    return data;
}

void BM_DecodeCorpus(benchmark::State& state) {
    const auto& records = Records();
    for (auto _ : state) {
        for (const Bytes& record : records) {
            auto decoded = belltower::melody::DecodeMelody(record);
            benchmark::DoNotOptimize(decoded);
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(records.size()));
    state.SetLabel(std::to_string(records.size()) + " melodies");
}

void BM_DecodeLongToneData(benchmark::State& state) {
    const Bytes& tones = LongToneData();
    for (auto _ : state) {
        auto decoded = belltower::melody::DecodeToneData(tones);
        benchmark::DoNotOptimize(decoded);
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel(std::to_string(tones.size()) + " bytes");
}

void BM_MidiCorpus(benchmark::State& state) {
    const auto& records = Records();
    for (auto _ : state) {
        for (const Bytes& record : records) {
            auto midi = belltower::interchange::WriteMidiMelody(record);
            auto back = belltower::interchange::ReadMidi(*midi);
            benchmark::DoNotOptimize(back);
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(records.size()));
    state.SetLabel("written and read back");
}

}  // namespace

BENCHMARK(BM_DecodeCorpus)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeLongToneData)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MidiCorpus)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
