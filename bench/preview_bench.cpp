// SPDX-License-Identifier: GPL-3.0-or-later
// How fast a melody preview is rendered.
//
//   WriteWav/full, WriteWav/half   the renderer on a 3-minute melody with vibration on
//   Direct/memory                  every sample computed on its own, into memory
//   Direct/perSampleWrite          the same, written to a file two bytes per system call
//   Sox/plainTones                 sox synthesising the same notes as plain sine tones
//                                  (skipped when sox is not installed)
// Run the release build: build/release/bench/preview_bench
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "formats/text_value.h"
#include "preview/wav_writer.h"

namespace {

using belltower::formats::Bytes;
using belltower::formats::RoundHalfEven;

struct Note {
    int code;   // 0x40 pause, 0x41.. notes
    int units;  // 1/120 s
};

// A 3-minute tune at 125 beats per minute: a walk over two octaves of a pentatonic scale in
// eighths and quarters, with the short pause the encoder puts between identical notes.
std::vector<Note> ThreeMinuteTune() {
    const int scale[] = {0x73, 0x75, 0x77, 0x7A, 0x7C, 0x7F, 0x81, 0x83, 0x86, 0x88};
    std::vector<Note> notes;
    unsigned state = 12345;
    int at = 4;
    int total = 0;
    int previous = -1;
    while (total < 180 * 120) {
        state = state * 1103515245U + 12345U;
        const int move = static_cast<int>((state >> 16) % 5) - 2;
        at = std::clamp(at + move, 0, 9);
        const int units = ((state >> 8) & 3) == 0 ? 58 : 29;
        if (scale[at] == previous) {
            notes.push_back({0x40, 2});
            total += 2;
        }
        notes.push_back({scale[at], units});
        total += units;
        previous = scale[at];
    }
    return notes;
}

Bytes ToneData(const std::vector<Note>& notes) {
    Bytes tones = {0x00, 0x02, 0xFC, 0x09, 0x0A, 0x01};  // opening, vibration on
    for (const Note& n : notes) {
        tones.push_back(static_cast<std::uint8_t>(n.code));
        tones.push_back(static_cast<std::uint8_t>(n.units));
    }
    const std::uint8_t closing[] = {0x0A, 0xFE, 0x07, 0x0B};
    tones.insert(tones.end(), std::begin(closing), std::end(closing));
    return tones;
}

std::size_t SampleCount(const std::vector<Note>& notes) {
    std::size_t samples = 0;
    for (const Note& n : notes) {
        samples += static_cast<std::size_t>(RoundHalfEven((n.units / 120.0) * 22050));
    }
    return samples;
}

void WriteWavFull(benchmark::State& state) {
    const auto notes = ThreeMinuteTune();
    const Bytes tones = ToneData(notes);
    const bool half = state.range(0) != 0;
    for (auto _ : state) {
        auto wav = belltower::preview::WriteWav(tones, {true, half, belltower::melody::Hardware::None});
        benchmark::DoNotOptimize(wav.wav.data());
    }
    state.counters["samples/s"] = benchmark::Counter(
        static_cast<double>(SampleCount(notes)) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["audio_s"] = static_cast<double>(SampleCount(notes)) / 22050.0;
}
BENCHMARK(WriteWavFull)->Name("WriteWav")->ArgName("half")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One sample straight from the formulas, tone and hum, as a renderer without tables does it.
int DirectSample(int code, long j) {
    constexpr double kPi = 3.14159265358979;
    const double w = std::pow(2.0, code / 12.0 - 10.0) * (0.0159 / 2.0);
    const double tone =
        code == 0x40
            ? 0.0
            : RoundHalfEven((std::pow(std::sin(((kPi + kPi) * w) * static_cast<double>(j)), 4.0) - 0.5) * 20000);
    const double hum =
        RoundHalfEven((std::pow(std::sin(((kPi + kPi) * 0.004) * static_cast<double>(j) * 1.0), 6.0) - 0.5) * 45000);
    return static_cast<int>(tone + hum);
}

void Direct(benchmark::State& state) {
    const auto notes = ThreeMinuteTune();
    const bool toFile = state.range(0) != 0;
    const auto path = std::filesystem::temp_directory_path() / ("belltower-bench-" + std::to_string(::getpid()));
    for (auto _ : state) {
        Bytes data;
        const int fd = toFile ? ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600) : -1;
        for (const Note& n : notes) {
            const auto count = static_cast<long>(RoundHalfEven((n.units / 120.0) * 22050));
            for (long j = 1; j <= count; ++j) {
                const auto bits = static_cast<std::uint16_t>(DirectSample(n.code, j));
                const std::uint8_t two[2] = {static_cast<std::uint8_t>(bits & 0xFF),
                                             static_cast<std::uint8_t>(bits >> 8)};
                if (toFile) {
                    benchmark::DoNotOptimize(::write(fd, two, 2));
                } else {
                    data.insert(data.end(), two, two + 2);
                }
            }
        }
        if (toFile) {
            ::close(fd);
        }
        benchmark::DoNotOptimize(data.data());
    }
    std::filesystem::remove(path);
    state.counters["samples/s"] = benchmark::Counter(
        static_cast<double>(SampleCount(notes)) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(Direct)->ArgName("perSampleWrite")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(2);

void Sox(benchmark::State& state) {
    if (std::system("command -v sox >/dev/null 2>&1") != 0) {
        state.SkipWithError("sox is not installed");
        for (auto _ : state) {
        }
        return;
    }
    const auto notes = ThreeMinuteTune();
    const auto path =
        std::filesystem::temp_directory_path() / ("belltower-bench-" + std::to_string(::getpid()) + ".wav");
    std::string command = "sox -n -r 22050 -c 1 -b 16 " + path.string();
    bool first = true;
    for (const Note& n : notes) {
        char chain[96];
        const double hz = n.code == 0x40 ? 0.0 : 0.0159 * 22050 * std::pow(2.0, n.code / 12.0 - 10.0);
        std::snprintf(chain, sizeof chain, "%s synth %.6f sine %.3f%s", first ? "" : " :", n.units / 120.0, hz,
                      n.code == 0x40 ? " vol 0" : "");
        command += chain;
        first = false;
    }
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("sox failed");
            break;
        }
    }
    std::filesystem::remove(path);
    state.counters["samples/s"] = benchmark::Counter(
        static_cast<double>(SampleCount(notes)) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(Sox)->Name("Sox/plainTones")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
