// The wave synthesiser on any bytes, as a record or as bare tone data. Besides the sanitizers,
// every file is compared with a plain sample-by-sample rendering of the same commands: the
// synthesiser counts first, caches waveforms and copies repeats, and all of that must come
// out as if each sample had been computed on its own.
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "formats/record.h"
#include "formats/text_value.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/harnesses.h"
#include "preview/wav_writer.h"

namespace belltower::fuzz {
namespace {

using formats::Bytes;
using formats::ByteView;
using formats::RoundHalfEven;
using formats::TextFormat;

constexpr std::uint32_t kLimitSeconds = 1;
constexpr double kPi = 3.14159265358979;

std::uint8_t At(ByteView bytes, std::size_t offset) {
    return offset < bytes.size() ? bytes[offset] : 0;
}

std::uint32_t Le(const Bytes& wav, std::size_t offset, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = (value << 8) | wav[offset + static_cast<std::size_t>(i)];
    }
    return value;
}

// The samples as the phone's synthesis is described: one command after another, a repeat
// end copying what was written since its start, and nothing beyond maxBytes.
class PlainRenderer {
public:
    PlainRenderer(bool noVibration, bool half, int trueHardware, std::size_t maxBytes)
        : noVibration_(noVibration), half_(half), trueHardware_(trueHardware), maxBytes_(maxBytes) {
        samples_.reserve(maxBytes);
    }

    void Run(ByteView tones) {
        std::size_t pos = 0;
        std::uint64_t tie = 0;
        while (pos < tones.size() && !cut_) {
            while (At(tones, pos) == 0x06) {
                ++pos;
                if (marked_) {
                    const Bytes since(samples_.begin() + static_cast<std::ptrdiff_t>(mark_), samples_.end());
                    for (std::uint64_t copy = 1; copy < count_ && !since.empty() && !cut_; ++copy) {
                        for (const std::uint8_t byte : since) {
                            PutByte(byte);
                        }
                    }
                }
            }
            const std::uint8_t code = At(tones, pos);
            const std::uint8_t parameter = At(tones, pos + 1);
            if (At(tones, pos + 2) == code && code >= 0x40) {
                tie += parameter;
                pos += 2;
                continue;
            }
            const std::uint64_t d = parameter + tie;
            if (code == 0x0A) {
                if (d == 1) {
                    if (vibration_ == 1) {
                        vibration_ = 2;
                    } else if (!noVibration_) {
                        vibration_ = 1;
                    }
                } else if (d == 254) {
                    vibration_ = 0;
                }
            } else if (code == 0x05) {
                marked_ = true;
                mark_ = samples_.size();
                count_ = d;
            } else if (code >= 0x40 && code <= 0xFA) {
                Render(code, d);
            }
            tie = 0;
            pos += 2;
        }
    }

    const Bytes& Samples() const { return samples_; }
    bool Cut() const { return cut_; }

private:
    void PutByte(std::uint8_t byte) {
        if (samples_.size() >= maxBytes_) {
            cut_ = true;
            return;
        }
        samples_.push_back(byte);
    }

    void Render(std::uint8_t code, std::uint64_t d) {
        double level = 1.0;
        const bool outside = (trueHardware_ == 1 && (code < 0x7C || code > 0xA2)) ||
                             (trueHardware_ == 2 && (code < 0x73 || code > 0xA2));
        if (code > 0x40 && outside) {
            code = 0x94;
            level = 0.1;
        }
        const double n = RoundHalfEven((static_cast<double>(d) / 120) * 22050);
        for (std::size_t j = 1; static_cast<double>(j) <= n && !cut_; ++j) {
            if (half_ && j % 2 != 0) {
                continue;
            }
            const double tone = code == 0x40 ? 0.0 : Tone(code, level, j);
            const double hum = vibration_ > 0 ? Hum(vibration_ == 1 ? 1.0 : 1.1, j) : 0.0;
            const auto bits = static_cast<std::uint16_t>(static_cast<std::int16_t>(tone + hum));
            PutByte(static_cast<std::uint8_t>(bits & 0xFF));
            PutByte(static_cast<std::uint8_t>(bits >> 8));
        }
    }

    // The two waveforms at sample j (from 1), remembered by their arguments for the whole run:
    // fuzz inputs render the same pitches over and over. The replacement note has its own table.
    double Tone(std::uint8_t code, double level, std::size_t j) {
        return Remembered(tones_[level == 1.0 ? code : 256], j, [&] {
            const double w = std::pow(2.0, static_cast<double>(code) / 12.0 - 10.0) * (0.0159 / 2.0);
            return RoundHalfEven((std::pow(std::sin(((kPi + kPi) * w) * static_cast<double>(j)), 4.0) - 0.5) * 20000 *
                                 level);
        });
    }
    double Hum(double rate, std::size_t j) {
        return Remembered(hums_[rate == 1.0 ? 0 : 1], j, [&] {
            return RoundHalfEven(
                (std::pow(std::sin(((kPi + kPi) * 0.004) * static_cast<double>(j) * rate), 6.0) - 0.5) * 45000);
        });
    }
    template <typename Compute>
    static double Remembered(std::vector<double>& known, std::size_t j, Compute compute) {
        if (known.empty()) {
            known.assign(kLimitSeconds * preview::kSampleRate * 2 + 1, std::numeric_limits<double>::quiet_NaN());
        }
        if (j >= known.size()) {
            return compute();
        }
        if (std::isnan(known[j])) {
            known[j] = compute();
        }
        return known[j];
    }

    const bool noVibration_;
    const bool half_;
    const int trueHardware_;
    const std::size_t maxBytes_;
    Bytes samples_;
    bool cut_ = false;
    int vibration_ = 0;
    bool marked_ = false;
    std::size_t mark_ = 0;
    std::uint64_t count_ = 0;
    static inline std::array<std::vector<double>, 257> tones_;
    static inline std::array<std::vector<double>, 2> hums_;
};

// Where playing starts in a record the fuzzer built, when the name leaves the record
// recognisable (at most 30 characters, no control character in front in ASCII).
std::optional<std::size_t> ExpectedStart(const std::string& name, TextFormat format) {
    if (format == TextFormat::Ascii && !name.empty() && static_cast<unsigned char>(name.front()) < 32) {
        return std::nullopt;
    }
    const std::size_t u = formats::UnicodeOffset(format);
    // header, name, terminator, then two bytes into the tone data
    return formats::kRecordHeaderSize + u + (name.size() + 1) * (1 + u) + 2;
}

}  // namespace

void FuzzWavWriter(ByteView input) {
    if (input.empty()) {
        return;
    }
    const std::uint8_t options = input[0];
    input = input.subspan(1);
    const bool noVibration = (options & kWavNoVibration) != 0;
    const bool half = (options & kWavHalfQuality) != 0;
    const int emulation = (options >> kWavTrueHardwareShift) & 3;
    const int trueHardware = emulation == 3 ? -1 : emulation;

    Bytes noty(input.begin(), input.end());
    if ((options & kWavRecord) != 0 && !input.empty()) {
        const TextFormat format = (options & kWavUnicode) != 0 ? TextFormat::Unicode : TextFormat::Ascii;
        const std::size_t nameLength = std::min<std::size_t>(input[0] % 31, input.size() - 1);
        const std::string name = formats::ToText(input.subspan(1, nameLength));
        Bytes tail(1 + formats::UnicodeOffset(format), 0x00);
        formats::Append(tail, input.subspan(1 + nameLength));
        auto record = formats::BuildRecord(1, "", name, tail, std::nullopt, format);
        BELLTOWER_FUZZ_CHECK(record.has_value());
        noty = std::move(*record);
        if (const auto start = ExpectedStart(name, format)) {
            const ByteView played = preview::PlayedToneData(noty);
            BELLTOWER_FUZZ_CHECK(played.size() == noty.size() - std::min(*start, noty.size()));
        }
    }

    const preview::WavResult result =
        preview::WriteWav(noty, noVibration, half, trueHardware, preview::RenderLimits{kLimitSeconds});
    const Bytes& wav = result.wav;
    const std::uint32_t rate = half ? preview::kHalfSampleRate : preview::kSampleRate;
    BELLTOWER_FUZZ_CHECK(wav.size() >= preview::kWavHeaderSize);
    const std::size_t dataSize = wav.size() - preview::kWavHeaderSize;
    BELLTOWER_FUZZ_CHECK(dataSize % 2 == 0);
    BELLTOWER_FUZZ_CHECK(dataSize <= std::size_t{kLimitSeconds} * rate * 2);
    BELLTOWER_FUZZ_CHECK(Le(wav, 4, 4) == dataSize + 36);
    BELLTOWER_FUZZ_CHECK(Le(wav, 40, 4) == dataSize);
    BELLTOWER_FUZZ_CHECK(Le(wav, 24, 4) == rate && Le(wav, 28, 4) == rate * 2);
    BELLTOWER_FUZZ_CHECK(Le(wav, 20, 2) == 1 && Le(wav, 22, 2) == 1 && Le(wav, 32, 2) == 2 && Le(wav, 34, 2) == 16);
    BELLTOWER_FUZZ_CHECK(!result.truncated || dataSize == std::size_t{kLimitSeconds} * rate * 2);

    PlainRenderer plain(noVibration, half, trueHardware, std::size_t{kLimitSeconds} * rate * 2);
    plain.Run(preview::PlayedToneData(noty));
    BELLTOWER_FUZZ_CHECK(plain.Cut() == result.truncated);
    BELLTOWER_FUZZ_CHECK(plain.Samples().size() == dataSize);
    BELLTOWER_FUZZ_CHECK(std::equal(plain.Samples().begin(), plain.Samples().end(),
                                    wav.begin() + static_cast<std::ptrdiff_t>(preview::kWavHeaderSize)));
}

}  // namespace belltower::fuzz
