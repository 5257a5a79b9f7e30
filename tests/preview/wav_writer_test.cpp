// SPDX-License-Identifier: GPL-3.0-or-later
#include "preview/wav_writer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <span>
#include <string>

#include "formats/file_io.h"
#include "formats/record.h"
#include "fuzz/plain_renderer.h"
#include "preview/melody_preview.h"
#include "preview/temp_files.h"
#include "support/hex.h"
#include "support/save_faults.h"
#include "support/scratch_dir.h"

namespace belltower::preview {
namespace {

namespace fs = std::filesystem;
using formats::Bytes;
using formats::TextFormat;
using melody::Hardware;
using testing::Hex;
using testing::ToHex;

constexpr RenderOptions kPlain{false, false, Hardware::None};
constexpr RenderOptions kHalf{false, true, Hardware::None};
constexpr RenderOptions kPhone{false, false, Hardware::Phone};
constexpr RenderOptions kHum{true, false, Hardware::None};

// The little-endian number at a WAV file's offset.
std::size_t Le32(const Bytes& b, std::size_t at) {
    return formats::BigEndianAt(Bytes{b.at(at + 3), b.at(at + 2), b.at(at + 1), b.at(at)}, 0);
}

// The sample bytes of a rendered file, after checking that both size fields agree with them.
Bytes SampleBytes(const WavResult& result) {
    EXPECT_EQ(result.wav.size() - kWavHeaderSize, Le32(result.wav, 40));
    EXPECT_EQ(result.wav.size() - 8, Le32(result.wav, 4));
    return Bytes(result.wav.begin() + static_cast<std::ptrdiff_t>(kWavHeaderSize), result.wav.end());
}

TEST(WriteWav, EmptyInputIsTheHeaderAlone) {
    const std::string head = "52494646 24000000 57415645 666D7420 10000000 0100 0100";  // RIFF, 36, WAVE, fmt, PCM mono
    const std::string tail = "0200 1000 64617461 00000000";  // block 2, 16 bits, "data", 0 bytes
    EXPECT_BYTES_EQ(Hex(head + "22560000 44AC0000" + tail), WriteWav({}, kPlain).wav);  // 22050 Hz, 44100 bytes/s
    EXPECT_BYTES_EQ(Hex(head + "112B0000 22560000" + tail), WriteWav({}, kHalf).wav);
}

// Samples worked out by hand (j from 1 per command): note (sin^4(2 pi w j) - 0.5) * 20000 * level,
// w = 2^(code / 12 - 10) * 0.0159 / 2; hum (sin^6(2 pi 0.004 j rate) - 0.5) * 45000; rounded half
// to even. At these j of a long 0xFA another grouping of the products rounds the other way.
TEST(WriteWav, SamplesFollowTheWaveforms) {
    const std::string longFa = "FAFF FAFF FAFF FAFF FAFF FAFF";  // 1530 units, tied
    const struct {
        std::string tones;
        RenderOptions options;
        std::size_t j;
        int sample;
    } cases[] = {{"7C0A", kPlain, 10, -7599},      {"7C0A", kPlain, 20, 6406},
                 {"A20A", kPlain, 33, -9969},      {"4178", kPlain, 1000, 1529},
                 {"7C0A", kHalf, 20, 6406},        {"4178", kPhone, 1000, -949},
                 {"0A01 400A", kHum, 100, -20644}, {"0A01 0A01 400A", kHum, 100, -22388},
                 {"0A01 7C0A", kHum, 100, -30644}, {longFa, kPlain, 69876, 5236},
                 {longFa, kPlain, 70167, 538},     {longFa, kPlain, 136436, 4233},
                 {longFa, kPlain, 236302, -3265}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tones + " j " + std::to_string(c.j));
        const Bytes samples = SampleBytes(WriteWav(Hex(c.tones), c.options));
        const std::size_t at = 2 * (c.options.halfQuality ? c.j / 2 - 1 : c.j - 1);
        ASSERT_LT(at + 1, samples.size());
        EXPECT_EQ(c.sample, static_cast<std::int16_t>(samples[at] | samples[at + 1] << 8));
    }
}

struct PlayRow {
    const char* tones;
    std::size_t samples;  // at full quality; 10 units are 1838
};

// (units / 120) * 22050 samples, halves to even.
const PlayRow kSampleCounts[] = {{"41 00", 0},    {"41 01", 184},   {"41 02", 368},   {"41 03", 551},  {"41 06", 1102},
                                 {"41 2A", 7717}, {"41 3E", 11393}, {"41 7D", 22969}, {"41 FF", 46856}};
// Identical consecutive commands of code 0x40 and above tie: one count for their sum, one waveform.
const PlayRow kTies[] = {{"41 45 41 45", 25357}, {"410A 4114", 5512},     {"410A 410A 410A", 5512},
                         {"400A 4014", 5512},    {"410A 4214", 5513},     {"410A 0AFE 4114", 5513},
                         {"410A 41", 1838},      {"0A01 0A01 400A", 1838}};
// The samples since the repeat start, n times in all.
const PlayRow kRepeats[] = {{"0503 410A 06", 5514},      {"0500 410A 06", 1838},
                            {"0501 410A 06", 1838},      {"410A 06", 1838},
                            {"0502 410A 06 06", 7352},   {"0502 410A 06 420A", 5514},
                            {"410A 0502 420A 06", 5514}, {"0502 410A 06 0503 420A 06", 9190}};
// On, faster on a second 0A01, back on a third, off on 0AFE; other parameters change nothing.
const PlayRow kVibration[] = {{"0A01 400A", 1838},      {"0A01 0A01 0A01 400A", 1838}, {"0A01 0AFE 400A", 1838},
                              {"0AFE 0A01 400A", 1838}, {"0A01 0A05 400A", 1838},      {"0A01 410A 0AFE 410A", 3676},
                              {"0A01 0A01 410A", 1838}};
// The ends of the playable ranges, and codes never played.
const PlayRow kRanges[] = {{"7B0A", 1838}, {"7C0A", 1838}, {"A20A", 1838}, {"A30A", 1838},
                           {"720A", 1838}, {"730A", 1838}, {"FA0A", 1838}, {"FB0A 3F0A", 0}};

// Every row under every option plays as the plain renderer; the sample count pins it on its own.
TEST(WriteWav, PlaysAsThePlainRendererUnderEveryOption) {
    using Table = std::span<const PlayRow>;
    for (const Table table : {Table(kSampleCounts), Table(kTies), Table(kRepeats), Table(kVibration), Table(kRanges)}) {
        for (const PlayRow& c : table) {
            SCOPED_TRACE(c.tones);
            EXPECT_EQ(2 * c.samples, SampleBytes(WriteWav(Hex(c.tones), kPlain)).size());
            for (int bits = 0; bits < 12; ++bits) {  // vibration, half quality, each hardware
                const RenderOptions options{bits % 2 == 1, bits / 2 % 2 == 1, static_cast<Hardware>(bits / 4)};
                const Bytes samples = SampleBytes(WriteWav(Hex(c.tones), options));
                EXPECT_BYTES_EQ(fuzz::RenderPlainly(Hex(c.tones), options, samples.size() + 2).samples, samples)
                    << bits;
            }
        }
    }
}

TEST(PlayedToneData, FindsTheToneDataOfRecordsInEitherLayout) {
    const Bytes tones = Hex("FC09 0AFE 410A 0AFE 070B");
    for (const std::string name : {"Ab", "", "Thirty characters long name..."}) {
        for (const TextFormat format : {TextFormat::Ascii, TextFormat::Unicode}) {
            SCOPED_TRACE(name + (format == TextFormat::Unicode ? " unicode" : " ascii"));
            // Terminator (and purpose), then the opening command 00 02, which is skipped.
            const Bytes tail = Hex(std::string(format == TextFormat::Unicode ? "0000" : "00") + "0002" + ToHex(tones));
            const Bytes record = *formats::BuildRecord(300, "Ax", name, tail, 2, format);
            EXPECT_BYTES_EQ(tones, formats::StripFill(PlayedToneData(record)));
            EXPECT_BYTES_EQ(WriteWav(tones, kPlain).wav, WriteWav(record, kPlain).wav);
        }
    }
    // With a length field that does not match, the whole record is tone data.
    EXPECT_BYTES_EQ(Hex("410A"), PlayedToneData(Hex("00000001 00000017 20202020 00000000 02 41 00 0002 410A")));
    EXPECT_EQ(23u, PlayedToneData(Hex("00000001 00000018 20202020 00000000 02 41 00 0002 410A")).size());
    EXPECT_TRUE(PlayedToneData(Hex("00000000 00000008")).empty());  // too short for its own header
    EXPECT_BYTES_EQ(Hex("41"), PlayedToneData(Hex("41")));
}

TEST(WriteWav, StopsAtTheLimit) {
    const char* bomb = "05FF 417D 06 06 06 06 06 06 06 06";  // nested repeats: terabytes
    const struct {
        const char* tones;
        bool half;
        std::uint32_t seconds;
        std::size_t bytes;
        bool truncated, repeated;
    } cases[] = {
        {bomb, false, 2, 88200, true, true},
        {bomb, true, 2, 44100, true, true},
        {bomb, false, 600, 26460000, true, true},
        {"41FF 41FF 41FF", false, 1, 44100, true, false},  // a long tie
        {"4178", false, 1, 44100, false, false},           // just fits
        {"0502 06 410A", false, 1, 3676, false, false},    // an empty repeat plays nothing again
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.tones) + " " + std::to_string(c.seconds));
        const WavResult result = WriteWav(Hex(c.tones), {false, c.half, Hardware::None}, RenderLimits{c.seconds});
        EXPECT_EQ(c.truncated, result.truncated);
        EXPECT_EQ(c.repeated, result.repeated);
        EXPECT_EQ(c.bytes, SampleBytes(result).size());
    }
}

TEST(WriteWavFile, WritesTheRenderedFileOrLeavesTheOldOne) {
    const testing::ScratchDir dir;
    const Bytes tones = Hex("0A01 7F0A 0502 400A 06");
    const RenderOptions options{true, true, Hardware::Phone};
    const auto info = WriteWavFile(tones, dir / "a.wav", options);
    ASSERT_TRUE(info);
    const Bytes expected = WriteWav(tones, options).wav;
    EXPECT_EQ(expected.size() - kWavHeaderSize, info->dataSize);
    EXPECT_BYTES_EQ(expected, *formats::ReadFileBytes(dir / "a.wav"));
    testing::ExpectFaultKeepsTarget([&](const std::filesystem::path& path, const formats::WriteFault* fault) {
        const auto written = WriteWavFile(tones, path, options, {}, fault);
        return written ? std::nullopt : std::optional(written.error());
    });
}

TEST(PrivateDir, IsMadeOnceWithModeSevenHundredOrIsThePrivateRuntimeDirectory) {
    const testing::ScratchDir base;
    const fs::path own = base / ("belltower-" + std::to_string(::geteuid()));
    const mode_t oldMask = ::umask(0277);  // a umask that would leave the owner without write access
    const auto dir = PrivateTempDirUnder(std::nullopt, base.path());
    ::umask(oldMask);
    ASSERT_TRUE(dir);
    EXPECT_EQ(own, *dir);
    EXPECT_EQ(fs::perms::owner_all, fs::status(*dir).permissions());
    EXPECT_EQ(*dir, *PrivateTempDirUnder(std::nullopt, base.path()));

    const fs::path runtime = base / "run";
    fs::create_directory(runtime);
    fs::permissions(runtime, fs::perms::owner_all, fs::perm_options::replace);
    EXPECT_EQ(runtime / "belltower", *PrivateTempDirUnder(runtime, base.path()));
    fs::permissions(runtime, fs::perms::all, fs::perm_options::replace);  // writable by anyone: not used
    EXPECT_EQ(own, *PrivateTempDirUnder(runtime, base.path()));
    EXPECT_EQ(own, *PrivateTempDirUnder(base / "missing", base.path()));
}

TEST(RenderPreview, WritesMelodyWavWithTheWindowsOptions) {
    const testing::ScratchDir dir;
    const formats::Bytes tones = testing::Hex("0A01 7B0A 400A");
    const RenderOptions options{false, true, Hardware::Phone};  // each unlike its default; 0x7B out of range
    const auto wav = RenderPreviewIn(dir.path(), tones, options);
    ASSERT_TRUE(wav);
    EXPECT_EQ(dir / "$melody$.wav", wav->path);
    EXPECT_FALSE(wav->truncated);
    EXPECT_BYTES_EQ(WriteWav(tones, options).wav, *formats::ReadFileBytes(wav->path));
    EXPECT_TRUE(RenderPreviewIn(dir.path(), testing::Hex("0503 41FF 06"), {}, RenderLimits{1})->truncated);
    EXPECT_EQ(formats::ErrorCode::Io, RenderPreviewIn(dir / "gone", tones, {}).error().code);
}

// Sets an environment variable (or removes it) for the life of the object.
struct ScopedEnv {
    ScopedEnv(const char* name, const char* value) : name_(name) {
        old_ = std::getenv(name) != nullptr ? std::optional<std::string>(std::getenv(name)) : std::nullopt;
        value != nullptr ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedEnv() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }
    const char* name_;
    std::optional<std::string> old_;
};

// Another user of the shared temporary folder got to the per-user name first, with a link to a
// folder of their choosing or a directory others may enter, and planted links at both fixed
// file names: the preview goes to a fresh private directory and follows none of them.
TEST(PrivateDir, APreviewFollowsNoPlantedLinkAndUsesNoOpenDirectory) {
    const formats::Bytes precious = testing::Hex("50 52 45 43 49 4F 55 53");
    for (const bool link : {true, false}) {
        SCOPED_TRACE(link ? "link" : "open directory");
        const testing::ScratchDir base;
        const fs::path own = base / ("belltower-" + std::to_string(::geteuid()));
        fs::create_directory(base / "victim");
        ASSERT_TRUE(formats::WriteFileAtomic(base / "victim.txt", precious));
        if (link) {
            fs::create_directory_symlink(base / "victim", own);
        } else {
            fs::create_directory(own);
            fs::permissions(own, fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec,
                            fs::perm_options::replace);
        }
        fs::create_symlink(base / "victim.txt", base / kMelodyWavName);
        fs::create_symlink(base / "victim.txt", base / kMelodyReName);

        const ScopedEnv temporary("TMPDIR", base.path().c_str());
        const ScopedEnv runtime("XDG_RUNTIME_DIR", nullptr);
        const auto preview = RenderPreview(testing::Hex("0A01 410A"), {});
        ASSERT_TRUE(preview) << preview.error().message;
        EXPECT_EQ(*MelodyWavPath(), preview->path);
        const fs::path folder = preview->path.parent_path();
        EXPECT_EQ(folder, MelodyRePath()->parent_path());
        EXPECT_EQ(base.path(), folder.parent_path());
        EXPECT_NE(own, folder);
        EXPECT_TRUE(IsPrivateDirectory(folder));
        EXPECT_BYTES_EQ(WriteWav(testing::Hex("0A01 410A"), {}).wav, *formats::ReadFileBytes(preview->path));
        EXPECT_TRUE(fs::is_empty(base / "victim"));
        EXPECT_BYTES_EQ(precious, *formats::ReadFileBytes(base / "victim.txt"));
        EXPECT_EQ(link ? fs::perms::all : fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec,
                  fs::symlink_status(own).permissions());
        EXPECT_TRUE(fs::is_symlink(base / kMelodyWavName));
    }
}

}  // namespace
}  // namespace belltower::preview
