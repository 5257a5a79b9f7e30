// Writes the seed corpora of the fuzz harnesses: small inputs in each harness's layout
// (fuzz/harnesses.h), built from the test helpers and the tone encoder.
//   make_fuzz_seeds <corpus folder>      (fuzz/corpus in the source tree)
// The seeds are committed; run this again after a harness's input layout changes.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>

#include "formats/file_io.h"
#include "fuzz/harnesses.h"
#include "melody/tone_encoder.h"
#include "support/hex.h"

namespace {

namespace fs = std::filesystem;
using belltower::formats::Bytes;
using belltower::formats::TextFormat;
using belltower::testing::Hex;
namespace fz = belltower::fuzz;

class SeedWriter {
public:
    SeedWriter(fs::path root, std::string_view harness) : folder_(std::move(root) / harness) {
        fs::create_directories(folder_);
    }
    void Write(const std::string& name, const Bytes& input) {
        const auto written = belltower::formats::WriteFileAtomic(folder_ / name, input);
        if (!written) {
            throw std::runtime_error(written.error().message);
        }
        ++count_;
    }
    std::size_t Count() const { return count_; }

private:
    fs::path folder_;
    std::size_t count_ = 0;
};

Bytes WithOptions(std::uint8_t options, std::string_view text) {
    Bytes input{options};
    input.insert(input.end(), text.begin(), text.end());
    return input;
}

std::size_t WriteRtxSeeds(const fs::path& root) {
    SeedWriter seeds(root, "rtx_encoder");
    // RTX files (first line read over the default fields).
    const std::initializer_list<std::pair<const char*, const char*>> lines = {
        {"plain", "Beep:d=4,o=5,b=125:8c,8d,8e"},
        {"keys_any_case", "A:D=16,O=6,B=90:c"},
        {"blank_before_key", "A:d=4, o=5:c"},
        {"items_without_value", "A:d=4,x,,o=5:c"},
        {"value_with_equals", "A:f=AB=C,i=7:c"},
        {"check_values", "A:c=1:c c=-2"},
        {"notes_with_colons", "A:d=8:c:d:e"},
        {"no_colon", "c d e"},
        {"one_colon", "Name:c d e"},
        {"later_lines", "First:b=100:4c\r\nSecond:b=50:4d\nThird"},
        {"empty_first_line", "\r\nA:b=1:c"},
        {"ert_tags", "Tags:d=8,o=5,b=140,s=6,@=10,c=1:t400 v1 4c# 8d.6 v0 4p 4- 16h7 t0 v2 v"},
        {"numbers_in_odd_forms", "Odd:d=&H10,o= 5 .5,b=1.2e2,i=&O17,s=1d1:4c 32e 99f"},
        {"long_notes", "Long:d=1,o=4,b=1:1c 1d. 2e"},
        {"octave_too_high", "High:o=16:c"},
        {"tempo_zero", "Zero:b=0:c"},
        {"huge_index", "Index:i=3000000000:c"},
        {"latin1_name", "\xC9t\xE9:f=\xE0\xE1\xE2\xE3\xE4:4\xC4 4c"},
    };
    for (const auto& [name, line] : lines) {
        seeds.Write("line_" + std::string(name), WithOptions(0, line));
    }
    seeds.Write("line_unicode_play_options",
                WithOptions(fz::kRtxUnicode | fz::kRtxPlayTwice | fz::kRtxForceOnePlay | fz::kRtxNoSmallPauses,
                            "Twice:d=4,@=10:4c 4c 4c"));

    // Edit fields: name|duration|octave|tempo|notes|ID|delay|index|staccato.
    const std::initializer_list<std::pair<const char*, const char*>> fields = {
        {"defaults", "A|8|6|140|4c|ID|1|1|0"},
        {"staccato", "Stac|4|5|125|4c 4c 8e. 2g#|XY|0|300|6"},
        {"colon_and_comma_in_fields", "A:B|4,|5:|120|c:d,e|I,D|1|2:|0"},
        {"line_breaks_in_notes", "Lines|8|6|140|c d\ne f\r\ng|   |1|1|0"},
        {"long_name", "A very long melody name that passes the thirty characters|8|6|140|c|ID|1|1|0"},
        {"fractions", "Frac|3|4.5|77.7|c d. e#|ID|2.5|2.5|3.5"},
        {"negative", "Neg|-8|-7|-140|c|ID|-1|-1|-6"},
        {"big_delay", "Delay|8|6|140|c|ID|300|1|0"},
        {"tiny_tempo", "Slow|8|6|0.001|c|ID|1|1|0"},
    };
    for (const auto& [name, text] : fields) {
        seeds.Write("fields_" + std::string(name), WithOptions(fz::kRtxFields, text));
    }
    seeds.Write("fields_unicode", WithOptions(fz::kRtxFields | fz::kRtxUnicode, "Uni|8|6|140|8c 8d 8e|U|1|9|0"));

    // A selection: start and length in front of the text.
    Bytes selected = WithOptions(fz::kRtxFields | fz::kRtxSelection, "Sel|8|6|140|8d 4c 8e|ID|1|1|0");
    selected.insert(selected.begin() + 1, {3, 2});
    seeds.Write("fields_selection", selected);
    Bytes pastEnd = WithOptions(fz::kRtxSelection, "Sel:d=8:8d 4c 8e");
    pastEnd.insert(pastEnd.begin() + 1, {200, 10});
    seeds.Write("line_selection_past_end", pastEnd);
    return seeds.Count();
}

std::size_t WriteWavSeeds(const fs::path& root) {
    SeedWriter seeds(root, "wav_writer");
    constexpr std::uint8_t kPhone = 1 << fz::kWavTrueHardwareShift;
    constexpr std::uint8_t kTool = 2 << fz::kWavTrueHardwareShift;
    constexpr std::uint8_t kOther = 3 << fz::kWavTrueHardwareShift;
    // Bare tone data.
    const std::initializer_list<std::tuple<const char*, std::uint8_t, const char*>> tones = {
        {"empty", 0, ""},
        {"one_note", fz::kWavNoVibration, "7F 0A"},
        {"pause_and_notes", 0, "40 06 7B 0A 7C 0A 73 02 A2 02 A3 02"},
        {"tied_notes", fz::kWavNoVibration, "41 0A 41 14 41 05 40 03 40 03 42 01"},
        {"repeat", 0, "05 03 7F 0A 06 41 02"},
        {"repeat_nested", 0, "05 02 7F 05 05 03 80 05 06 06 06 06"},
        {"repeat_end_without_start", 0, "06 7F 0A 06"},
        {"vibration", 0, "0A 01 7F 0A 0A 01 40 0A 0A 01 7F 0A 0A FE 7F 0A"},
        {"vibration_off_option", fz::kWavNoVibration, "0A 01 7F 0A 0A 01 40 0A"},
        {"phone_range", kPhone, "41 02 7B 02 7C 02 A2 02 A3 02 FA 02 FB 02"},
        {"tool_range_half", kTool | fz::kWavHalfQuality, "72 03 73 03 A3 03"},
        {"other_emulation_value", kOther, "41 02 FA 02"},
        {"odd_length", 0, "7F"},
        {"record_length_matches", 0, "00 00 00 01 00 00 00 18 20 20 20 20 00 00 00 00 02 41 00 00 02 7F 0A FF"},
        {"long_tie", fz::kWavNoVibration, "50 FF 50 FF 50 FF 50 FF 50 FF"},
    };
    for (const auto& [name, options, hex] : tones) {
        seeds.Write("tones_" + std::string(name), WithOptions(options, belltower::formats::ToText(Hex(hex))));
    }

    // Records the tone encoder makes, whole and as the harness builds them from parts.
    belltower::melody::MelodyFields fields;
    fields.name = "Seed";
    fields.notes = "t160 4c 8d# 8e. v0 4p 1c v1 16g6";
    fields.delay = "10";
    fields.forceOnePlay = true;
    for (const TextFormat form : {TextFormat::Ascii, TextFormat::Unicode}) {
        const auto encoded = belltower::melody::EncodeMelody(fields, form, std::nullopt);
        const std::string suffix = form == TextFormat::Unicode ? "unicode" : "ascii";
        seeds.Write("encoded_record_" + suffix,
                    WithOptions(fz::kWavHalfQuality, belltower::formats::ToText(*encoded.record)));
    }
    const std::string parts = std::string("\x04Name") + belltower::formats::ToText(Hex("0002 FC09 0A01 7F0A 0503 400A 06 070B"));
    seeds.Write("built_record_ascii", WithOptions(fz::kWavRecord, parts));
    seeds.Write("built_record_unicode", WithOptions(fz::kWavRecord | fz::kWavUnicode | kPhone, parts));
    seeds.Write("built_record_control_name",
                WithOptions(fz::kWavRecord, std::string("\x02\x01\x02") + belltower::formats::ToText(Hex("0002 7F0A"))));
    return seeds.Count();
}

}  // namespace

int main(int argc, char** argv) {
    try {
        if (argc != 2) {
            std::fprintf(stderr, "usage: make_fuzz_seeds <corpus folder>\n");
            return 2;
        }
        const fs::path root = argv[1];
        std::printf("rtx_encoder: %zu seeds\n", WriteRtxSeeds(root));
        std::printf("wav_writer: %zu seeds\n", WriteWavSeeds(root));
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_fuzz_seeds: %s\n", e.what());
        return 1;
    }
}
