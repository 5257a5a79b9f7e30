// SPDX-License-Identifier: GPL-3.0-or-later
#include "fuzz/plain_renderer.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

#include "formats/text_value.h"
#include "formats/tone_commands.h"
#include "melody/timeline.h"

namespace belltower::fuzz {
namespace {

namespace tone = formats::tone;
using formats::ByteAt;
using formats::Bytes;
using formats::ByteView;
using formats::RoundHalfEven;

constexpr double kPi = 3.14159265358979;
// Waveform samples remembered per pitch, enough for the one-second renders of the fuzz harness.
constexpr std::size_t kRemembered = 2 * 22050 + 1;

class PlainRenderer {
public:
    PlainRenderer(const preview::RenderOptions& options, std::size_t maxBytes)
        : options_(options), maxBytes_(maxBytes) {}

    void Run(ByteView tones) {
        std::size_t pos = 0;
        std::uint64_t tie = 0;
        while (pos < tones.size() && !result_.cut) {
            while (ByteAt(tones, pos) == tone::kRepeatEnd) {
                ++pos;
                if (marked_) {
                    const Bytes since(result_.samples.begin() + static_cast<std::ptrdiff_t>(mark_),
                                      result_.samples.end());
                    for (std::uint64_t copy = 1; copy < count_ && !since.empty() && !result_.cut; ++copy) {
                        for (const std::uint8_t byte : since) {
                            PutByte(byte);
                        }
                    }
                }
            }
            const std::uint8_t code = ByteAt(tones, pos);
            const std::uint8_t parameter = ByteAt(tones, pos + 1);
            if (ByteAt(tones, pos + 2) == code && code >= tone::kPause) {
                tie += parameter;
                pos += 2;
                continue;
            }
            const std::uint64_t d = parameter + tie;
            if (code == tone::kVibration) {
                if (d == tone::kVibrationOn) {
                    if (vibration_ == 1) {
                        vibration_ = 2;
                    } else if (options_.vibration) {
                        vibration_ = 1;
                    }
                } else if (d == tone::kVibrationOff) {
                    vibration_ = 0;
                }
            } else if (code == tone::kRepeatStart) {
                marked_ = true;
                mark_ = result_.samples.size();
                count_ = d;
            } else if (code >= tone::kPause && code <= tone::kHighestPlayedNote) {
                Render(code, d);
            }
            tie = 0;
            pos += 2;
        }
    }

    PlainRendering& Result() { return result_; }

private:
    void PutByte(std::uint8_t byte) {
        if (result_.samples.size() >= maxBytes_) {
            result_.cut = true;
            return;
        }
        result_.samples.push_back(byte);
    }

    void Render(std::uint8_t code, std::uint64_t d) {
        const melody::Sounded sounded = melody::SoundedAs(code, options_.hardware);
        const double n = RoundHalfEven((static_cast<double>(d) / 120) * 22050);
        for (std::size_t j = 1; static_cast<double>(j) <= n && !result_.cut; ++j) {
            if (options_.halfQuality && j % 2 != 0) {
                continue;
            }
            const double note = code == tone::kPause ? 0.0 : Tone(sounded.code, sounded.level, j);
            const double hum = vibration_ > 0 ? Hum(vibration_ == 1 ? 1.0 : 1.1, j) : 0.0;
            const auto bits = static_cast<std::uint16_t>(static_cast<std::int16_t>(note + hum));
            PutByte(static_cast<std::uint8_t>(bits & 0xFF));
            PutByte(static_cast<std::uint8_t>(bits >> 8));
        }
    }

    // The two waveforms at sample j (from 1), remembered by their arguments for the whole run:
    // fuzz inputs render the same pitches over and over. The replacement note has its own table.
    static double Tone(std::uint8_t code, double level, std::size_t j) {
        return Remembered(tones_[level == 1.0 ? code : 256], j, [&] {
            const double w = std::pow(2.0, static_cast<double>(code) / 12.0 - 10.0) * (0.0159 / 2.0);
            return RoundHalfEven((std::pow(std::sin(((kPi + kPi) * w) * static_cast<double>(j)), 4.0) - 0.5) * 20000 *
                                 level);
        });
    }
    static double Hum(double rate, std::size_t j) {
        return Remembered(hums_[rate == 1.0 ? 0 : 1], j, [&] {
            return RoundHalfEven(
                (std::pow(std::sin(((kPi + kPi) * 0.004) * static_cast<double>(j) * rate), 6.0) - 0.5) * 45000);
        });
    }
    template <typename Compute>
    static double Remembered(std::vector<double>& known, std::size_t j, Compute compute) {
        if (known.empty()) {
            known.assign(kRemembered, std::numeric_limits<double>::quiet_NaN());
        }
        if (j >= known.size()) {
            return compute();
        }
        if (std::isnan(known[j])) {
            known[j] = compute();
        }
        return known[j];
    }

    const preview::RenderOptions options_;
    const std::size_t maxBytes_;
    PlainRendering result_;
    int vibration_ = 0;
    bool marked_ = false;
    std::size_t mark_ = 0;
    std::uint64_t count_ = 0;
    static inline std::array<std::vector<double>, 257> tones_;
    static inline std::array<std::vector<double>, 2> hums_;
};

}  // namespace

PlainRendering RenderPlainly(ByteView toneData, const preview::RenderOptions& options, std::size_t maxBytes) {
    PlainRenderer renderer(options, maxBytes);
    renderer.Run(toneData);
    return std::move(renderer.Result());
}

}  // namespace belltower::fuzz
