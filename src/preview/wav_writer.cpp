// SPDX-License-Identifier: GPL-3.0-or-later
#include "preview/wav_writer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "formats/file_io.h"
#include "formats/record.h"
#include "formats/text_value.h"
#include "formats/tone_commands.h"
#include "melody/timeline.h"

namespace belltower::preview {
namespace {

using formats::ByteAt;
using formats::Bytes;
using formats::ByteView;

// The synthesis constants. Every sample is computed from them in double precision, in the
// order written below, so a preview sounds the same sample for sample on every build
// (the library is compiled without floating-point contraction, see CMakeLists.txt).
constexpr double kPi = 3.14159265358979;
constexpr double kToneAmplitude = 20000;
constexpr double kHumAmplitude = 65000 - kToneAmplitude;
constexpr double kPitchConstant = 0.0159;
constexpr double kHumRate = 0.004;  // sine cycles per sample of the motor hum at its base rate
constexpr double kUnitsPerSecond = formats::tone::kUnitsPerSecond;
constexpr double kGridRate = 22050;

constexpr std::uint8_t kPause = formats::tone::kPause;
constexpr std::uint8_t kReplacementCode = melody::kReplacementCode;
constexpr double kReplacementLevel = melody::kReplacementLevel;

// A little-endian field of the header, as wide as its type.
template <typename Field>
void PutLe(Bytes& out, std::size_t offset, Field value) {
    for (std::size_t i = 0; i < sizeof(Field); ++i) {
        out[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

void WriteHeader(Bytes& out, std::uint32_t sampleRate, std::uint32_t dataSize) {
    std::memcpy(out.data() + 0, "RIFF", 4);
    PutLe<std::uint32_t>(out, 4, dataSize + 36);
    std::memcpy(out.data() + 8, "WAVEfmt ", 8);
    PutLe<std::uint32_t>(out, 16, 16);
    PutLe<std::uint16_t>(out, 20, 1);
    PutLe<std::uint16_t>(out, 22, 1);
    PutLe<std::uint32_t>(out, 24, sampleRate);
    PutLe<std::uint32_t>(out, 28, sampleRate * 2);
    PutLe<std::uint16_t>(out, 32, 2);
    PutLe<std::uint16_t>(out, 34, 16);
    std::memcpy(out.data() + 36, "data", 4);
    PutLe<std::uint32_t>(out, 40, dataSize);
}

// Samples of a command lasting `units` duration units: (units / 120) * 22050, halves to even.
double SampleCount(std::uint64_t units) {
    return formats::RoundHalfEven((static_cast<double>(units) / kUnitsPerSecond) * kGridRate);
}

// formats::RoundHalfEven for sample values (well inside +-2^51), without a library call per
// sample: adding 1.5 x 2^52 leaves no bits for a fraction, so the addition itself rounds half to
// even, as IEEE arithmetic does, and taking it away again is exact. The same value every time.
double RoundSample(double value) {
    constexpr double kNoFraction = 6755399441055744.0;  // 1.5 x 2^52
    return (value + kNoFraction) - kNoFraction;
}

// The note waveform: a squared-squared sine, so its fundamental is twice the sine's rate;
// one code step is a semitone. Sample j counts from 1 at the start of every command. The
// angle per sample depends on the code alone: computed once per waveform, not per sample.
double ToneAngle(std::uint8_t code) {
    const double w = std::pow(2.0, static_cast<double>(code) / 12.0 - 10.0) * (kPitchConstant / 2.0);
    return (kPi + kPi) * w;
}

double ToneSample(double angle, double level, std::uint64_t j) {
    return RoundSample((std::pow(std::sin(angle * static_cast<double>(j)), 4.0) - 0.5) * kToneAmplitude * level);
}

// The vibration motor's hum, 176.4 Hz at rate 1.0.
double HumSample(double rate, std::uint64_t j) {
    return RoundSample((std::pow(std::sin(((kPi + kPi) * kHumRate) * static_cast<double>(j) * rate), 6.0) - 0.5) *
                       kHumAmplitude);
}

// Interprets the commands. It runs twice: first without an output buffer, only counting the
// sample bytes (cheap: no waveform is computed), then into a buffer of exactly that size, so
// the samples of a long melody are written once and never moved.
//
// Samples depend only on (code, level, j) and (hum rate, j), so each waveform is computed
// once, as far as the longest command needs it, and every later command of the same pitch
// copies it: a melody of a few dozen distinct notes costs a few dozen waveforms, not a sine
// per sample. The results are the same as computing each sample on its own.
class Renderer : public melody::ToneWalker {
public:
    // out: the whole file, header space included, sized by a counting run; nullptr to count.
    Renderer(const RenderOptions& options, std::uint64_t maxDataBytes, Bytes* out)
        : emulateVibration_(options.vibration), step_(options.halfQuality ? 2 : 1), hardware_(options.hardware),
          maxDataBytes_(maxDataBytes), out_(out) {}

    void Run(ByteView tones) { melody::WalkToneData(tones, *this); }

    bool Sound(const melody::ToneSound& sound) override {
        // Without vibration emulation the motor never hums.
        vibration_ = emulateVibration_ ? sound.vibration : 0;
        Render(sound.code, sound.units);
        return !truncated_;
    }

    bool RepeatStart(std::size_t /*offset*/, unsigned plays) override {
        mark_ = dataSize_;
        repeatCount_ = plays;
        marked_ = true;
        return true;
    }

    bool RepeatEnd(std::size_t /*offset*/) override {
        RepeatSamples();
        return !truncated_;
    }

    std::uint64_t DataSize() const { return dataSize_; }
    bool Truncated() const { return truncated_; }
    bool Repeated() const { return repeated_; }

private:
    // Claims `bytes` more sample bytes, cut to the limit (the result is then truncated);
    // returns the file offset where they go and how many were granted.
    struct Span {
        std::size_t at;
        std::size_t bytes;
    };
    Span Claim(std::uint64_t bytes) {
        const std::uint64_t room = maxDataBytes_ - dataSize_;
        if (bytes > room) {
            truncated_ = true;
            bytes = room;
        }
        const Span span{kWavHeaderSize + static_cast<std::size_t>(dataSize_), static_cast<std::size_t>(bytes)};
        dataSize_ += bytes;
        return span;
    }

    // Everything written since the mark, written again (count - 1) times.
    void RepeatSamples() {
        if (!marked_ || dataSize_ == mark_) {
            return;
        }
        const std::size_t from = kWavHeaderSize + static_cast<std::size_t>(mark_);
        const std::uint64_t length = dataSize_ - mark_;
        for (std::uint64_t copy = 1; copy < repeatCount_ && !truncated_; ++copy) {
            repeated_ = true;
            const Span span = Claim(length);
            if (out_ != nullptr) {
                // The copy never overlaps its source: it goes after the current end.
                std::memcpy(out_->data() + span.at, out_->data() + from, span.bytes);
            }
        }
    }

    void Render(std::uint8_t code, std::uint64_t units) {
        // Anything longer than the 32-bit size fields allow ends up cut anyway.
        constexpr double kBeyondAnyLimit = 1e12;
        const double samples = std::min(SampleCount(units), kBeyondAnyLimit);
        // Half quality keeps the samples of even j only: floor(N / 2) of them.
        const Span span = Claim(static_cast<std::uint64_t>(samples) / step_ * 2);
        const std::size_t count = span.bytes / 2;
        if (out_ == nullptr || count == 0) {
            return;
        }
        const bool replaced = melody::OutOfRange(code, hardware_);
        const double level = replaced ? kReplacementLevel : 1.0;
        const std::int16_t* tone = nullptr;
        if (code != kPause) {
            tone = replaced ? Waveform(kReplacedTable, count, kReplacementCode, level)
                            : Waveform(code, count, code, level);
        }
        const std::int16_t* hum = vibration_ > 0 ? Hum(vibration_ == 1 ? 0 : 1, count) : nullptr;
        std::uint8_t* sampleBytes = out_->data() + span.at;
        for (std::size_t i = 0; i < count; ++i) {
            const int sample = (tone != nullptr ? tone[i] : 0) + (hum != nullptr ? hum[i] : 0);
            const auto bits = static_cast<std::uint16_t>(sample);
            sampleBytes[2 * i] = static_cast<std::uint8_t>(bits & 0xFF);
            sampleBytes[2 * i + 1] = static_cast<std::uint8_t>(bits >> 8);
        }
    }

    // The first `count` written samples of the tone (j = step, 2 step, ...).
    const std::int16_t* Waveform(std::size_t key, std::size_t count, std::uint8_t code, double level) {
        std::vector<std::int16_t>& table = tones_[key];
        if (table.size() < count) {
            const double angle = ToneAngle(code);
            table.reserve(count);
            for (std::size_t i = table.size(); i < count; ++i) {
                table.push_back(static_cast<std::int16_t>(ToneSample(angle, level, (i + 1) * step_)));
            }
        }
        return table.data();
    }

    const std::int16_t* Hum(std::size_t which, std::size_t count) {
        const double rate = which == 0 ? 1.0 : 1.1;
        std::vector<std::int16_t>& table = hums_[which];
        if (table.size() < count) {
            table.reserve(count);
            for (std::size_t i = table.size(); i < count; ++i) {
                table.push_back(static_cast<std::int16_t>(HumSample(rate, (i + 1) * step_)));
            }
        }
        return table.data();
    }

    const bool emulateVibration_;  // false: vibration commands render no hum
    const std::size_t step_;
    const melody::Hardware hardware_;
    const std::uint64_t maxDataBytes_;

    Bytes* const out_;
    std::uint64_t dataSize_ = 0;  // sample bytes so far
    bool truncated_ = false;
    bool repeated_ = false;  // a repeat played its notes again
    int vibration_{};        // 0 off, 1 hum at its base rate, 2 hum 10 % faster; set by every sound
    bool marked_ = false;
    std::uint64_t mark_{};  // sample bytes at the repeat start; with the count, set by the mark
    std::uint64_t repeatCount_{};
    // One waveform per code, and one for the replacement note at its reduced level.
    static constexpr std::size_t kReplacedTable = 256;
    std::array<std::vector<std::int16_t>, 257> tones_;
    std::array<std::vector<std::int16_t>, 2> hums_;
};

}  // namespace

ByteView PlayedToneData(ByteView melody) {
    if (!formats::IsWholeRecord(melody)) {
        return melody;
    }
    const std::uint8_t unicodeLength = ByteAt(melody, 17);
    const std::size_t start = (unicodeLength >= 1 && unicodeLength <= 31) ? 20 + 2 * std::size_t{unicodeLength}
                                                                          : 19 + std::size_t{ByteAt(melody, 16)};
    return formats::Mid(melody, start, melody.size());
}

WavResult WriteWav(ByteView melody, const RenderOptions& options, const RenderLimits& limits) {
    const std::uint32_t sampleRate = options.halfQuality ? kHalfSampleRate : kSampleRate;
    // The size fields are 32-bit; keep well inside them whatever the limit asks for.
    constexpr std::uint64_t kLargestData = (std::numeric_limits<std::uint32_t>::max() - 36) & ~std::uint64_t{1};
    const std::uint64_t maxDataBytes =
        std::min<std::uint64_t>(std::uint64_t{limits.maxSeconds} * sampleRate * 2, kLargestData);
    const ByteView tones = PlayedToneData(melody);
    Renderer counter(options, maxDataBytes, nullptr);
    counter.Run(tones);
    WavResult result{Bytes(kWavHeaderSize + static_cast<std::size_t>(counter.DataSize())), counter.Truncated(),
                     counter.Repeated()};
    Renderer renderer(options, maxDataBytes, &result.wav);
    renderer.Run(tones);
    WriteHeader(result.wav, sampleRate, static_cast<std::uint32_t>(counter.DataSize()));
    return result;
}

formats::Result<WavFileInfo> WriteWavFile(ByteView melody, const std::filesystem::path& waveFile,
                                          const RenderOptions& options, const RenderLimits& limits,
                                          const formats::WriteFault* fault) {
    const WavResult rendered = WriteWav(melody, options, limits);
    if (auto written = formats::WriteFileAtomic(waveFile, rendered.wav, fault); !written) {
        return written.error();
    }
    return WavFileInfo{static_cast<std::uint32_t>(rendered.wav.size() - kWavHeaderSize), rendered.truncated};
}

}  // namespace belltower::preview
