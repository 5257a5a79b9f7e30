// SPDX-License-Identifier: GPL-3.0-or-later
// Loading and saving a full-size firmware image (16 MB, 300 melodies) against plain copies of
// the same bytes: the reader and the writer should cost little more than moving the bytes.
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "bank/firmware_reader.h"
#include "bank/firmware_writer.h"
#include "formats/file_io.h"
#include "support/image_builder.h"
#include "support/scratch_dir.h"

namespace {

using belltower::formats::Bytes;
namespace bank = belltower::bank;
namespace fs = std::filesystem;

const Bytes& Image() {
    static const Bytes image = belltower::testing::FullSizeImage();
    return image;
}

struct Files {
    belltower::testing::ScratchDir dir{"bench"};
    fs::path source = dir / "source.fls";
    fs::path target = dir / "target.fls";
    Files() {
        if (!belltower::formats::WriteFileAtomic(source, Image())) {
            throw std::runtime_error("cannot write the benchmark image");
        }
    }
};

const Files& TheFiles() {
    static const Files files;
    return files;
}

void LoadSaveInMemory(benchmark::State& state) {
    const Bytes& image = Image();
    for (auto _ : state) {
        bank::ToneBank toneBank;
        auto parsed = bank::ReadFirmwareImage(image, "bench.fls");
        (void)bank::ApplyFirmwareImage(toneBank, std::move(*parsed), false);
        Bytes saved = bank::BuildFirmwareImage(toneBank);
        benchmark::DoNotOptimize(saved.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(image.size()));
}
BENCHMARK(LoadSaveInMemory)->Unit(benchmark::kMillisecond);

void CopyInMemory(benchmark::State& state) {
    const Bytes& image = Image();
    for (auto _ : state) {
        Bytes copy(image.size());
        std::memcpy(copy.data(), image.data(), image.size());
        benchmark::DoNotOptimize(copy.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(image.size()));
}
BENCHMARK(CopyInMemory)->Unit(benchmark::kMillisecond);

void LoadSaveFile(benchmark::State& state) {
    const Files& files = TheFiles();
    for (auto _ : state) {
        bank::ToneBank toneBank;
        if (!bank::LoadFirmware(files.source, toneBank, false) || !bank::SaveFirmware(files.target, toneBank)) {
            state.SkipWithError("load or save failed");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(Image().size()));
}
BENCHMARK(LoadSaveFile)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same bytes through the same file edge: read whole, write atomically (with fsync).
void CopyFileAtomic(benchmark::State& state) {
    const Files& files = TheFiles();
    for (auto _ : state) {
        const auto data = belltower::formats::ReadFileBytes(files.source);
        if (!data || !belltower::formats::WriteFileAtomic(files.target, *data)) {
            state.SkipWithError("copy failed");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(Image().size()));
}
BENCHMARK(CopyFileAtomic)->Unit(benchmark::kMillisecond)->UseRealTime();

// A plain file copy by the operating system, without fsync.
void CopyFilePlain(benchmark::State& state) {
    const Files& files = TheFiles();
    for (auto _ : state) {
        fs::copy_file(files.source, files.target, fs::copy_options::overwrite_existing);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(Image().size()));
}
BENCHMARK(CopyFilePlain)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
