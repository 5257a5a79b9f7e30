// SPDX-License-Identifier: GPL-3.0-or-later
// What a script sees of the command line's file handling, with peak memory:
//   encode   10,000 ringtone files encoded into a folder by one `encode ... -d DIR` call
//   save     `bank save` of a 16 MB image with 300 melodies, against a plain durable copy of
//            the same file (read in 1 MB blocks, written, fsync: what `dd conv=fsync` does)
// Each measurement runs in a fresh child process (this program started again), so the peak
// resident size it reports (getrusage of the child) is that of the measured work alone.
//
//   cli_batch_bench [encode|save|all] [count]
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "formats/file_io.h"
#include "support/image_builder.h"
#include "support/scratch_dir.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using belltower::formats::Bytes;
using Clock = std::chrono::steady_clock;

struct ChildResult {
    double seconds = 0;
    long peakKilobytes = 0;
    int status = -1;
};

// Runs this program again with args and waits for it.
ChildResult RunChild(const std::vector<std::string>& args) {
    std::vector<std::string> all{"/proc/self/exe"};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : all) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    ChildResult result;
    const auto start = Clock::now();
    pid_t pid = 0;
    if (::posix_spawn(&pid, "/proc/self/exe", nullptr, nullptr, argv.data(), environ) != 0) {
        return result;
    }
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    result.peakKilobytes = usage.ru_maxrss;
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

int RunCli(const std::vector<std::string>& args) {
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    const int status = belltower::cli::Run(args, in, out, err);
    if (status != 0) {
        std::fprintf(stderr, "%s", err.str().c_str());
    }
    return status;
}

// The child side of a durable copy: 1 MB blocks, one fsync at the end.
int DurableCopy(const std::string& from, const std::string& to) {
    const int in = ::open(from.c_str(), O_RDONLY);
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0) {
        return 1;
    }
    std::vector<char> block(1 << 20);
    for (ssize_t got; (got = ::read(in, block.data(), block.size())) > 0;) {
        if (::write(out, block.data(), static_cast<std::size_t>(got)) != got) {
            return 1;
        }
    }
    const int synced = ::fsync(out);
    ::close(in);
    ::close(out);
    return synced == 0 ? 0 : 1;
}

// A 16 MB flash image with 300 Unicode melodies in its TONE chunk.
int MakeImage(const std::string& path) {
    const Bytes bytes = belltower::testing::FullSizeImage();
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return file ? 0 : 1;
}

// The children: "child-image PATH", "child-encode DIR COUNT", "child-save IMAGE OUT", "child-copy FROM TO".
int Child(const std::vector<std::string>& args) {
    if (args[0] == "child-encode") {
        std::vector<std::string> cli{"encode"};
        const auto count = std::stoul(args[2]);
        for (std::size_t i = 0; i < count; ++i) {
            cli.push_back(args[1] + "/in/tone" + std::to_string(i) + ".rtx");
        }
        cli.push_back("-d");
        cli.push_back(args[1] + "/out");
        return RunCli(cli);
    }
    if (args[0] == "child-image") {
        return MakeImage(args[1]);
    }
    if (args[0] == "child-save") {
        return RunCli({"bank", "save", args[1], "-o", args[2]});
    }
    return DurableCopy(args[1], args[2]);
}

void Encode(const fs::path& dir, std::size_t count) {
    fs::create_directories(dir / "in");
    fs::create_directories(dir / "out");
    for (std::size_t i = 0; i < count; ++i) {
        std::ofstream(dir / "in" / ("tone" + std::to_string(i) + ".rtx"))
            << "Tone " << i << ":d=4,o=5,b=125:8c,8d,e,f#,g,2a.,p,8c6,8b,a,g,f,e,d,c\n";
    }
    const ChildResult run = RunChild({"child-encode", dir.string(), std::to_string(count)});
    std::printf("encode: %zu files into a folder in %.3f s (%.0f files/s), peak %ld KB, exit %d\n", count, run.seconds,
                static_cast<double>(count) / run.seconds, run.peakKilobytes, run.status);
}

void Save(const fs::path& dir) {
    fs::create_directories(dir);
    const fs::path image = dir / "image.fls";
    // Made by a child too: this process stays small, and a child's peak starts from it.
    if (RunChild({"child-image", image.string()}).status != 0) {
        std::printf("save: the image could not be made\n");
        return;
    }
    const double imageKilobytes = static_cast<double>(fs::file_size(image)) / 1024.0;
    constexpr int kRounds = 5;
    double copyBest = 1e9;
    double saveBest = 1e9;
    long copyPeak = 0;
    long savePeak = 0;
    for (int round = 0; round < kRounds; ++round) {
        const ChildResult copy = RunChild({"child-copy", image.string(), (dir / "copy.fls").string()});
        const ChildResult save = RunChild({"child-save", image.string(), (dir / "saved.fls").string()});
        if (copy.status != 0 || save.status != 0) {
            std::printf("save: a run failed (copy %d, save %d)\n", copy.status, save.status);
            return;
        }
        copyBest = std::min(copyBest, copy.seconds);
        saveBest = std::min(saveBest, save.seconds);
        copyPeak = copy.peakKilobytes;
        savePeak = save.peakKilobytes;
    }
    std::printf("save: durable copy %.1f ms (peak %ld KB); bank save %.1f ms (peak %ld KB); best of %d\n",
                copyBest * 1000, copyPeak, saveBest * 1000, savePeak, kRounds);
    std::printf("save: time %.2f x the durable copy; peak %.2f x the image (%.0f KB)\n", saveBest / copyBest,
                static_cast<double>(savePeak) / imageKilobytes, imageKilobytes);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && args[0].starts_with("child-")) {
        return Child(args);
    }
    const std::string what = args.empty() ? "all" : args[0];
    const std::size_t count = args.size() > 1 ? std::stoul(args[1]) : 10000;
    const belltower::testing::ScratchDir dir("batch-bench");
    if (what == "encode" || what == "all") {
        Encode(dir / "encode", count);
    }
    if (what == "save" || what == "all") {
        Save(dir / "save");
    }
    return 0;
}
