// SPDX-License-Identifier: GPL-3.0-or-later
// The piano roll laid out and painted for a melody of 64 KB of tone data, the most a melody
// may hold: it must fit in one frame (16 ms) to follow typing smoothly. Measured for the part
// the window shows at the normal scale, and for the whole melody zoomed out as far as it goes.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>

#include <iostream>

#include "melody/timeline.h"
#include "melody/tone_encoder.h"
#include "ui/piano_roll_view.h"

namespace {

using belltower::formats::Bytes;

// Notes of 2 units over four octaves, with a pause now and then: 32767 events in just under
// ten minutes, the longest the timeline follows a melody.
Bytes LongToneData() {
    Bytes tones;
    for (std::size_t i = 0; tones.size() + 2 <= belltower::melody::kMaxToneDataBytes; ++i) {
        const bool pause = i % 7 == 6;
        tones.push_back(pause ? std::uint8_t{0x40} : static_cast<std::uint8_t>(0x70 + (i * 5) % 50));
        tones.push_back(2);
    }
    return tones;
}

void Frame(benchmark::State& state, double zoom, int width) {
    const Bytes tones = LongToneData();
    belltower::ui::PianoRollView view;
    view.SetZoom(zoom);
    QImage image(width, 400, QImage::Format_RGB32);
    for (auto _ : state) {
        view.SetTimeline(belltower::melody::BuildTimeline(tones));
        view.resize(view.minimumWidth(), 400);
        // The window paints only what its scroll area shows.
        view.render(&image, {}, QRegion(0, 0, width, 400));
        benchmark::DoNotOptimize(image.bits());
    }
    state.counters["events"] = static_cast<double>(view.Shown().events.size());
}

void VisibleFrame(benchmark::State& state) {
    Frame(state, 1.0, 1920);
}
void WholeMelodyZoomedOut(benchmark::State& state) {
    Frame(state, belltower::ui::PianoRollView::kMinZoom, 6400);
}

BENCHMARK(VisibleFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(WholeMelodyZoomedOut)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::cout << "one frame is 16 ms\n";
    return 0;
}
