#include "preview/wav_writer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "formats/file_io.h"
#include "formats/record.h"
#include "formats/text_value.h"
#include "support/hex.h"

namespace belltower::preview {
namespace {

using formats::Bytes;
using formats::ByteView;
using formats::RoundHalfEven;
using formats::TextFormat;
using testing::Hex;
using testing::ToHex;

// The waveforms written out again, independently of the renderer. The grouping of every
// product matters: at some positions of a long high note another grouping rounds differently.
constexpr double kPi = 3.14159265358979;

double Step(int code) {
    return std::pow(2.0, code / 12.0 - 10.0) * (0.0159 / 2.0);
}

int ExpectedTone(int code, double level, long j) {
    return static_cast<int>(RoundHalfEven(
        (std::pow(std::sin(((kPi + kPi) * Step(code)) * static_cast<double>(j)), 4.0) - 0.5) * 20000 * level));
}

int ExpectedHum(double rate, long j) {
    return static_cast<int>(
        RoundHalfEven((std::pow(std::sin(((kPi + kPi) * 0.004) * static_cast<double>(j) * rate), 6.0) - 0.5) * 45000));
}

// One rendered command: code, duration units, tone level, hum state (0 none, 1 base, 2 faster).
struct Cmd {
    int code;
    int units;
    double level = 1.0;
    int hum = 0;
};

std::vector<int> Expected(const std::vector<Cmd>& commands, bool half = false) {
    std::vector<int> samples;
    for (const Cmd& c : commands) {
        const auto n = static_cast<long>(RoundHalfEven((c.units / 120.0) * 22050));
        for (long j = 1; j <= n; ++j) {
            if (half && j % 2 != 0) {
                continue;
            }
            int sample = c.code == 0x40 ? 0 : ExpectedTone(c.code, c.level, j);
            if (c.hum > 0) {
                sample += ExpectedHum(c.hum == 1 ? 1.0 : 1.1, j);
            }
            samples.push_back(sample);
        }
    }
    return samples;
}

std::uint32_t Le32(const Bytes& b, std::size_t at) {
    return std::uint32_t{b[at]} | (std::uint32_t{b[at + 1]} << 8) | (std::uint32_t{b[at + 2]} << 16) |
           (std::uint32_t{b[at + 3]} << 24);
}

void ExpectSizeFieldsAgree(const Bytes& wav) {
    ASSERT_GE(wav.size(), kWavHeaderSize);
    EXPECT_EQ(wav.size() - kWavHeaderSize, Le32(wav, 40));
    EXPECT_EQ(Le32(wav, 40) + 36, Le32(wav, 4));
}

// The samples of a rendered file, after checking that its size fields agree with them.
std::vector<int> Samples(const WavResult& result) {
    const Bytes& wav = result.wav;
    ExpectSizeFieldsAgree(wav);
    std::vector<int> samples;
    for (std::size_t i = kWavHeaderSize; i + 1 < wav.size(); i += 2) {
        samples.push_back(static_cast<std::int16_t>(wav[i] | (wav[i + 1] << 8)));
    }
    return samples;
}

std::vector<int> Render(std::string_view hex, bool noVibration = true, bool half = false, int trueHardware = 0) {
    return Samples(WriteWav(Hex(hex), noVibration, half, trueHardware));
}

TEST(WriteWav, EmptyInputIsTheHeaderAlone) {
    const Bytes full = Hex("52494646 24000000 57415645"   // "RIFF", data + 36, "WAVE"
                           "666D7420 10000000 0100 0100"  // "fmt ", 16, PCM, mono
                           "22560000 44AC0000 0200 1000"  // 22050 Hz, 44100 bytes/s, block 2, 16 bits
                           "64617461 00000000");          // "data", 0 bytes
    EXPECT_BYTES_EQ(full, WriteWav({}, false, false, 0).wav);
    Bytes half = full;
    const Bytes halfRates = Hex("112B0000 22560000");  // 11025 Hz, 22050 bytes/s
    std::copy(halfRates.begin(), halfRates.end(), half.begin() + 24);
    EXPECT_BYTES_EQ(half, WriteWav({}, false, true, 0).wav);
}

TEST(WriteWav, SampleCountsRoundHalvesToEven) {
    struct Case {
        std::string tones;
        std::size_t full, half;
    };
    const Case cases[] = {
        {"41 00", 0, 0},
        {"41 01", 184, 92},
        {"41 02", 368, 184},  // 367.5
        {"41 03", 551, 275},
        {"41 06", 1102, 551},    // 1102.5
        {"41 2A", 7717, 3858},   // 7717.4999...
        {"41 3E", 11393, 5696},  // 11392.5000...
        {"41 7D", 22969, 11484},
        {"41 FF", 46856, 23428},
        {"41 45 41 45", 25357, 12678},  // tied: 138 units at once, not 2 x 69
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tones);
        EXPECT_EQ(c.full, Render(c.tones).size());
        EXPECT_EQ(c.half, Render(c.tones, true, true).size());
    }
}

TEST(WriteWav, NotesFollowTheWaveformSampleForSample) {
    for (const int code : {0x41, 0x73, 0x7C, 0x94, 0xA2, 0xFA}) {
        SCOPED_TRACE(code);
        const std::string tones = ToHex(Bytes{static_cast<std::uint8_t>(code), 30});
        EXPECT_EQ(Expected({{code, 30}}), Render(tones));
        EXPECT_EQ(Expected({{code, 30}}, true), Render(tones, true, true));
        EXPECT_EQ(Expected({{code, 30, 1.0, 1}}), Render("0A01" + tones, false));
        EXPECT_EQ(Expected({{code, 30, 1.0, 2}}, true), Render("0A01 0A01" + tones, false, true));
    }
}

TEST(WriteWav, KeepsTheProductOrderOfTheWaveform) {
    // Code 0xFA for 1530 units (six tied pieces of 255), 281138 samples.
    const std::vector<int> samples = Render("FAFF FAFF FAFF FAFF FAFF FAFF");
    ASSERT_EQ(Expected({{0xFA, 1530}}), samples);
    for (const long j : {69876L, 70167L, 136436L, 236302L}) {
        SCOPED_TRACE(j);
        const double otherGrouping =
            RoundHalfEven((std::pow(std::sin((kPi + kPi) * (Step(0xFA) * static_cast<double>(j))), 4.0) - 0.5) * 20000);
        EXPECT_NE(otherGrouping, samples[static_cast<std::size_t>(j - 1)]);
    }
}

TEST(WriteWav, RecordsPlayTheirToneDataInEitherFormat) {
    const Bytes tones = Hex("0002 FC09 0AFE 410A 0AFE 070B");
    const std::vector<int> note = Expected({{0x41, 10}});
    for (const std::string name : {"Ab", "", "Thirty characters long name..."}) {
        for (const TextFormat format : {TextFormat::Ascii, TextFormat::Unicode}) {
            SCOPED_TRACE(name + (format == TextFormat::Unicode ? " unicode" : " ascii"));
            Bytes tail(format == TextFormat::Unicode ? 2 : 1, 0);
            formats::Append(tail, tones);
            const Bytes record = *formats::BuildRecord(300, "Ax", name, tail, 2, format);
            EXPECT_EQ(note, Samples(WriteWav(record, true, false, 0)));
            EXPECT_BYTES_EQ(Hex("FC09 0AFE 410A 0AFE 070B"), formats::StripFill(PlayedToneData(record)));
        }
    }
    // With a length field that does not match, the whole record is tone data: its ID "Ax"
    // reads as the note 41 78 (120 units) before the real tone data plays.
    Bytes asciiAb =
        *formats::BuildRecord(300, "Ax", "Ab", Hex("00 0002 FC09 0AFE 410A 0AFE 070B"), {}, TextFormat::Ascii);
    asciiAb[7] = static_cast<std::uint8_t>(asciiAb[7] + 4);
    EXPECT_EQ(Expected({{0x41, 120}, {0x41, 10}}), Samples(WriteWav(asciiAb, true, false, 0)));
    // Too short for its own header: nothing to play, no read past the end.
    EXPECT_TRUE(PlayedToneData(Hex("00000000 00000008")).empty());
    EXPECT_BYTES_EQ(Hex("41"), PlayedToneData(Hex("41")));
}

struct PlayCase {
    std::string tones;
    std::vector<Cmd> expected;
};

void ExpectPlays(const std::vector<PlayCase>& cases, bool noVibration = true, int trueHardware = 0) {
    for (const PlayCase& c : cases) {
        SCOPED_TRACE(c.tones);
        EXPECT_EQ(Expected(c.expected), Render(c.tones, noVibration, false, trueHardware));
    }
}

TEST(WriteWav, TiesIdenticalConsecutiveCommands) {
    ExpectPlays({
        {"410A 4114", {{0x41, 30}}},
        {"410A 410A 410A", {{0x41, 30}}},
        {"400A 4014", {{0x40, 30}}},  // 5512 samples, one fewer than 10 and 20 apart
        {"410A 4214", {{0x41, 10}, {0x42, 20}}},
        {"410A 0AFE 4114", {{0x41, 10}, {0x41, 20}}},
        {"410A 41", {{0x41, 10}}},  // the trailing code has no duration: a tie ending in 0
        {"0A01 0A01 400A", {{0x40, 10}}},
    });
}

TEST(WriteWav, RepeatsTheSamplesSinceTheRepeatStart) {
    ExpectPlays({
        {"0503 410A 06", {{0x41, 10}, {0x41, 10}, {0x41, 10}}},
        {"0500 410A 06", {{0x41, 10}}},
        {"0501 410A 06", {{0x41, 10}}},
        {"410A 06", {{0x41, 10}}},
        {"0502 410A 06 06", {{0x41, 10}, {0x41, 10}, {0x41, 10}, {0x41, 10}}},
        {"0502 410A 06 420A", {{0x41, 10}, {0x41, 10}, {0x42, 10}}},  // the next command follows the 06 directly
        {"410A 0502 420A 06", {{0x41, 10}, {0x42, 10}, {0x42, 10}}},
        {"0502 410A 06 0503 420A 06", {{0x41, 10}, {0x41, 10}, {0x42, 10}, {0x42, 10}, {0x42, 10}}},
    });
}

TEST(WriteWav, VibrationAddsTheMotorHum) {
    ExpectPlays(
        {
            {"0A01 400A", {{0x40, 10, 1.0, 1}}},
            {"0A01 0A01 400A", {{0x40, 10, 1.0, 2}}},
            {"0A01 0A01 0A01 400A", {{0x40, 10, 1.0, 1}}},
            {"0A01 0AFE 400A", {{0x40, 10}}},
            {"0AFE 0A01 400A", {{0x40, 10, 1.0, 1}}},
            {"0A01 0A05 400A", {{0x40, 10, 1.0, 1}}},  // other parameters change nothing
            {"0A01 410A 0AFE 410A", {{0x41, 10, 1.0, 1}, {0x41, 10}}},
        },
        false);
    ExpectPlays({
        {"0A01 400A", {{0x40, 10}}},
        {"0A01 0A01 410A", {{0x41, 10}}},
    });
}

TEST(WriteWav, EmulatesThePlayableNoteRange) {
    struct Case {
        int trueHardware, code, played;
    };
    const Case cases[] = {
        {1, 0x41, 0x94}, {1, 0x7B, 0x94}, {1, 0x7C, 0x7C}, {1, 0xA2, 0xA2}, {1, 0xA3, 0x94},
        {2, 0x72, 0x94}, {2, 0x73, 0x73}, {2, 0xA2, 0xA2}, {2, 0xA3, 0x94}, {2, 0xFA, 0x94},
        {0, 0x41, 0x41}, {0, 0xFA, 0xFA}, {7, 0x41, 0x41},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.trueHardware) + " " + std::to_string(c.code));
        const double level = c.played == c.code ? 1.0 : 0.1;
        ExpectPlays({{ToHex(Bytes{static_cast<std::uint8_t>(c.code), 10}), {{c.played, 10, level}}}}, true,
                    c.trueHardware);
    }
    for (const int trueHardware : {0, 1, 2}) {
        ExpectPlays({{"400A", {{0x40, 10}}}, {"FB0A 3F0A", {}}}, true, trueHardware);
        ExpectPlays({{"0A01 400A", {{0x40, 10, 1.0, 1}}}}, false, trueHardware);
    }
}

TEST(WriteWav, NestedRepeatsStopAtTheLimit) {
    const Bytes bomb = Hex("05FF 417D 06 06 06 06 06 06 06 06");
    struct Case {
        bool half;
        std::uint32_t seconds;
        std::size_t expectedBytes;
    };
    for (const Case& c : {Case{false, 2, 88200}, Case{true, 2, 44100}, Case{false, 600, 26460000}}) {
        const WavResult result = WriteWav(bomb, true, c.half, 0, RenderLimits{c.seconds});
        EXPECT_TRUE(result.truncated);
        EXPECT_EQ(kWavHeaderSize + c.expectedBytes, result.wav.size());
        ExpectSizeFieldsAgree(result.wav);
    }
    EXPECT_TRUE(WriteWav(bomb, true, false, 0, RenderLimits{2}).repeated);
    // A long tied note is cut too, without any repeat to blame; a melody that just fits is not.
    const WavResult tied = WriteWav(Hex("41FF 41FF 41FF"), true, false, 0, RenderLimits{1});
    EXPECT_TRUE(tied.truncated);
    EXPECT_FALSE(tied.repeated);
    const WavResult exact = WriteWav(Hex("4178"), true, false, 0, RenderLimits{1});
    EXPECT_FALSE(exact.truncated);
    EXPECT_EQ(22050U, Samples(exact).size());
}

TEST(WriteWavFile, WritesTheRenderedFileOrReportsWhyNot) {
    const auto dir = std::filesystem::temp_directory_path() / ("belltower-wav-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const Bytes tones = Hex("0A01 410A 06");
    const auto info = WriteWavFile(tones, dir / "a.wav", false, true, 1);
    ASSERT_TRUE(info);
    EXPECT_FALSE(info->truncated);
    const Bytes expected = WriteWav(tones, false, true, 1).wav;
    EXPECT_EQ(expected.size() - kWavHeaderSize, info->dataSize);
    EXPECT_BYTES_EQ(expected, *formats::ReadFileBytes(dir / "a.wav"));

    const auto failed = WriteWavFile(tones, dir / "missing" / "a.wav", false, false, 0);
    ASSERT_FALSE(failed);
    EXPECT_EQ(formats::ErrorCode::Io, failed.error().code);
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace belltower::preview
