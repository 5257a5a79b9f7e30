// SPDX-License-Identifier: GPL-3.0-or-later
// Replays inputs through a fuzz harness: every file of the given folders, in name order.
//   fuzz_replay <harness> <folder>...
// A folder that does not exist is skipped (a harness may have no saved findings yet), but at least one input must be
// found. A failing input stops the run the way it stopped the fuzzer; the name printed last is the culprit.
#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string_view>
#include <vector>

#include "formats/file_io.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/harnesses.h"

namespace {

namespace fs = std::filesystem;

// The fuzzers' time budgets, with room for unoptimised and sanitizer builds (the heap is measured by the fuzzers only).
constexpr double kReplaySlack = 40;

int Replay(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: fuzz_replay <harness> <folder>...\n");
        return 2;
    }
    const std::string_view name = argv[1];
    const auto harnesses = belltower::fuzz::AllHarnesses();
    const auto harness = std::ranges::find(harnesses, name, &belltower::fuzz::Harness::name);
    if (harness == harnesses.end()) {
        std::fprintf(stderr, "fuzz_replay: no harness named %s\n", argv[1]);
        return 2;
    }
    std::size_t replayed = 0;
    for (int i = 2; i < argc; ++i) {
        const fs::path folder = argv[i];
        if (!fs::is_directory(folder)) {
            continue;
        }
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(folder)) {
            if (entry.is_regular_file() && entry.path().filename().string().front() != '.') {
                files.push_back(entry.path());
            }
        }
        std::sort(files.begin(), files.end());
        for (const fs::path& file : files) {
            const auto bytes = belltower::formats::ReadFileBytes(file);
            if (!bytes) {
                std::fprintf(stderr, "fuzz_replay: %s\n", bytes.error().message.c_str());
                return 1;
            }
            std::fprintf(stderr, "%s\n", file.filename().c_str());
            const double start = belltower::fuzz::ProcessorSeconds();
            harness->run(*bytes);
            // Work out of proportion to the input (a gap of 2^28 ticks cut into notes) fails here.
            belltower::fuzz::CheckInProportion(bytes->size(), belltower::fuzz::ProcessorSeconds() - start, 0,
                                               kReplaySlack);
            ++replayed;
        }
    }
    std::printf("%s: replayed %zu inputs\n", argv[1], replayed);
    return replayed > 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Replay(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "fuzz_replay: %s\n", e.what());
        return 1;
    }
}
