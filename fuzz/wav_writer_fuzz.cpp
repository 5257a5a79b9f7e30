// SPDX-License-Identifier: GPL-3.0-or-later
// The wave synthesiser on any bytes, as a record or as bare tone data. Besides the sanitizers,
// every file is compared with the plain sample-by-sample rendering of the same commands
// (fuzz/plain_renderer.h).
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "formats/record.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/harnesses.h"
#include "fuzz/plain_renderer.h"
#include "preview/wav_writer.h"

namespace belltower::fuzz {
namespace {

using formats::Bytes;
using formats::ByteView;
using formats::TextFormat;

constexpr std::uint32_t kLimitSeconds = 1;
std::uint32_t Le(const Bytes& wav, std::size_t offset, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = (value << 8) | wav[offset + static_cast<std::size_t>(i)];
    }
    return value;
}

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
    // Value 3 of the emulation bits lies outside the Hardware names: it must emulate nothing.
    const preview::RenderOptions render{(options & kWavNoVibration) == 0, (options & kWavHalfQuality) != 0,
                                        static_cast<melody::Hardware>((options >> kWavTrueHardwareShift) & 3)};

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

    const preview::WavResult result = preview::WriteWav(noty, render, preview::RenderLimits{kLimitSeconds});
    const Bytes& wav = result.wav;
    const std::uint32_t rate = render.halfQuality ? preview::kHalfSampleRate : preview::kSampleRate;
    BELLTOWER_FUZZ_CHECK(wav.size() >= preview::kWavHeaderSize);
    const std::size_t dataSize = wav.size() - preview::kWavHeaderSize;
    BELLTOWER_FUZZ_CHECK(dataSize % 2 == 0);
    BELLTOWER_FUZZ_CHECK(dataSize <= std::size_t{kLimitSeconds} * rate * 2);
    BELLTOWER_FUZZ_CHECK(Le(wav, 4, 4) == dataSize + 36);
    BELLTOWER_FUZZ_CHECK(Le(wav, 40, 4) == dataSize);
    BELLTOWER_FUZZ_CHECK(Le(wav, 24, 4) == rate && Le(wav, 28, 4) == rate * 2);
    BELLTOWER_FUZZ_CHECK(Le(wav, 20, 2) == 1 && Le(wav, 22, 2) == 1 && Le(wav, 32, 2) == 2 && Le(wav, 34, 2) == 16);
    BELLTOWER_FUZZ_CHECK(!result.truncated || dataSize == std::size_t{kLimitSeconds} * rate * 2);

    const PlainRendering plain =
        RenderPlainly(preview::PlayedToneData(noty), render, std::size_t{kLimitSeconds} * rate * 2);
    BELLTOWER_FUZZ_CHECK(plain.cut == result.truncated);
    BELLTOWER_FUZZ_CHECK(plain.samples.size() == dataSize);
    BELLTOWER_FUZZ_CHECK(std::equal(plain.samples.begin(), plain.samples.end(),
                                    wav.begin() + static_cast<std::ptrdiff_t>(preview::kWavHeaderSize)));
}

}  // namespace belltower::fuzz
