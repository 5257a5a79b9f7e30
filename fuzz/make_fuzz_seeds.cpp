// SPDX-License-Identifier: GPL-3.0-or-later
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
#include <tuple>

#include "formats/file_io.h"
#include "fuzz/harnesses.h"
#include "interchange/composer.h"
#include "interchange/imelody.h"
#include "interchange/midi.h"
#include "interchange/ott.h"
#include "melody/score.h"
#include "melody/tone_encoder.h"
#include "support/hex.h"
#include "support/hostile_inputs.h"
#include "support/image_builder.h"

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

// Tone data that once made the readers run away: repeats that multiply, thousands of
// repeats of nothing, a note tied for 17 hours. Each after the harness's option bytes.
void WriteRunawayToneData(SeedWriter& seeds, const Bytes& options) {
    namespace t = belltower::testing;
    const std::initializer_list<std::pair<const char*, Bytes>> data = {
        {"runaway_multiplying_repeats", t::MultiplyingRepeats()},
        {"runaway_zero_length_repeats", t::ZeroLengthRepeats(2000)},
        {"runaway_tied_seventeen_hours", t::TiedNote(28800)},
    };
    for (const auto& [name, toneData] : data) {
        Bytes input = options;
        belltower::formats::Append(input, toneData);
        seeds.Write(name, input);
    }
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
    seeds.Write("line_twelve_minutes", WithOptions(0, belltower::testing::TwelveMinuteRingtone()));
    seeds.Write("line_named_mthd", WithOptions(0, "MThd tune:d=4,o=5,b=100:c,d,e"));
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
    WriteRunawayToneData(seeds, Bytes{0});

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
    const std::string parts =
        std::string("\x04Name") + belltower::formats::ToText(Hex("0002 FC09 0A01 7F0A 0503 400A 06 070B"));
    seeds.Write("built_record_ascii", WithOptions(fz::kWavRecord, parts));
    seeds.Write("built_record_unicode", WithOptions(fz::kWavRecord | fz::kWavUnicode | kPhone, parts));
    seeds.Write(
        "built_record_control_name",
        WithOptions(fz::kWavRecord, std::string("\x02\x01\x02") + belltower::formats::ToText(Hex("0002 7F0A"))));
    return seeds.Count();
}

std::size_t WriteFirmwareSeeds(const fs::path& root) {
    using belltower::testing::BuildImage;
    using belltower::testing::ImageLayout;
    using belltower::testing::MakeChunk;
    using belltower::testing::MakeRecord;
    SeedWriter seeds(root, "firmware_reader");
    const Bytes tone = Hex("0002 FC09 0A01 7F0A 8B34 0A0A 400A 0A0E 070B");
    // An image from its PPM section to the end of its tail; the harness pads the block.
    const auto write = [&](const std::string& name, const ImageLayout& layout, std::uint8_t options) {
        const auto built = BuildImage(layout);
        const std::size_t from = built.ppmOffset;
        const std::size_t to = built.chainEnd + layout.tail.size();
        Bytes input{static_cast<std::uint8_t>(options | fz::kFirmwarePadBlock)};
        input.insert(input.end(), built.image.begin() + static_cast<std::ptrdiff_t>(from),
                     built.image.begin() + static_cast<std::ptrdiff_t>(to));
        seeds.Write(name, input);
    };
    for (const TextFormat format : {TextFormat::Ascii, TextFormat::Unicode}) {
        const std::string suffix = format == TextFormat::Unicode ? "_unicode" : "_ascii";
        ImageLayout layout;
        layout.records = {MakeRecord(format, 1, "", "Ab", tone), MakeRecord(format, 2, "RING", "Second", tone, 2),
                          MakeRecord(format, 2, "", "", tone)};
        layout.chunksBefore = {MakeChunk("PPMa", Hex("01020304"))};
        layout.chunksAfter = {MakeChunk("LANG", Hex("AABBCCDD EEFF"))};
        layout.tail = Hex("DE AD BE EF FF FF 00 01");
        write("three_melodies" + suffix, layout, 0);
        write("three_melodies_keep_other" + suffix, layout, fz::kFirmwareKeepBank);
        write("three_melodies_keep_same" + suffix, layout,
              fz::kFirmwareKeepBank | (format == TextFormat::Unicode ? fz::kFirmwareEarlierUnicode : 0));
    }
    ImageLayout empty;
    write("empty_bank", empty, 0);
    ImageLayout secondBlock;
    secondBlock.ppmBlock = 1;
    secondBlock.records = {MakeRecord(TextFormat::Ascii, 5, "ID", "Later", tone)};
    write("ppm_in_second_block", secondBlock, fz::kFirmwareBlockBefore);
    ImageLayout twoTones;
    twoTones.records = {MakeRecord(TextFormat::Unicode, 9, "", "Last", tone)};
    twoTones.chunksBefore = {belltower::testing::MakeToneChunk({MakeRecord(TextFormat::Ascii, 1, "", "First", tone)})};
    write("two_tone_chunks", twoTones, 0);
    ImageLayout noMarker;
    noMarker.records = {MakeRecord(TextFormat::Ascii, 1, "", "A", tone)};
    noMarker.endMarker = false;
    write("no_end_marker", noMarker, 0);
    ImageLayout nameless;
    Bytes zeroName = MakeRecord(TextFormat::Ascii, 1, "", "A", tone);
    zeroName[16] = 0;
    nameless.records = {zeroName};
    write("name_length_zero", nameless, 0);
    ImageLayout shortChunk;
    shortChunk.chunksAfter = {Hex("00000000 00000008 4C454E47")};
    shortChunk.records = {MakeRecord(TextFormat::Ascii, 1, "", "A", tone)};
    write("chunk_shorter_than_header", shortChunk, 0);
    ImageLayout noEndRecord;
    noEndRecord.toneChunk = MakeChunk("TONE", belltower::formats::ToBytes("version"));
    write("tone_chunk_without_end_record", noEndRecord, 0);
    // The whole image as a file holds it, without padding: the PPM section in a last,
    // incomplete block is not searched.
    const auto whole = BuildImage(empty);
    Bytes unpadded{0};
    unpadded.insert(unpadded.end(), whole.image.begin(), whole.image.begin() + 200);
    seeds.Write("incomplete_block", unpadded);
    return seeds.Count();
}

std::size_t WriteExchangeSeeds(const fs::path& root) {
    using belltower::testing::MakeRecord;
    SeedWriter seeds(root, "record_exchange");
    const Bytes tone = Hex("0002 FC09 0A01 8B34 0AFE 4001 070B");
    for (const TextFormat format : {TextFormat::Ascii, TextFormat::Unicode}) {
        const std::string suffix = format == TextFormat::Unicode ? "_unicode" : "_ascii";
        seeds.Write("ab" + suffix, MakeRecord(format, 300, "", "Ab", Hex("00 01 02 03 04 05 06 07 08 09 0A 0B 0C")));
        seeds.Write("empty_name" + suffix, MakeRecord(format, 1, "ID", "", tone, 2));
        seeds.Write("thirty_characters" + suffix, MakeRecord(format, 7, "LONG", std::string(30, 'x'), tone));
        seeds.Write("thirty_one_characters" + suffix, MakeRecord(format, 7, "LONG", std::string(31, 'y'), tone));
        seeds.Write("tone_data_ending_in_ff" + suffix, MakeRecord(format, 3, "", "Fill", Hex("0002 FC09 07 0B FF FF")));
        seeds.Write("control_character_first" + suffix, MakeRecord(format, 4, "", "\x05tab", tone));
        belltower::melody::MelodyFields fields;
        fields.name = "Encoded";
        fields.notes = "4c 8d 8e 2f";
        fields.forceOnePlay = true;
        seeds.Write("encoded" + suffix, *belltower::melody::EncodeMelody(fields, format, std::nullopt).record);
    }
    Bytes wide = MakeRecord(TextFormat::Unicode, 1, "", "Ab", tone);
    wide[18] = 0x04;  // a name character with a non-zero high byte
    seeds.Write("unicode_high_byte", wide);
    Bytes nameless = MakeRecord(TextFormat::Ascii, 1, "", "Ab", tone);
    nameless[16] = 0;
    seeds.Write("name_length_zero", nameless);
    Bytes wrongLength = MakeRecord(TextFormat::Ascii, 1, "", "Ab", tone);
    wrongLength[7] = static_cast<std::uint8_t>(wrongLength[7] + 4);
    seeds.Write("length_field_wrong", wrongLength);
    seeds.Write("too_short", Hex("00000001 00000008"));
    seeds.Write("empty", Bytes{});
    return seeds.Count();
}

// A list-operations script: the bank byte, the chunk and tail lengths, then the steps.
class StepWriter {
public:
    explicit StepWriter(std::uint8_t bankByte) : script_{bankByte, 8, 16} {}
    StepWriter& Op(std::uint8_t op, std::uint8_t selection) {
        script_.insert(script_.end(), {op, selection});
        return *this;
    }
    StepWriter& Record(std::string_view name, std::uint8_t kind = 0) {
        script_.push_back(kind);
        Text(name);
        script_.insert(script_.end(), {42, 2, 2, 0x40, 0x0A});  // index, purpose, two extra tone bytes
        return *this;
    }
    StepWriter& Text(std::string_view text) {
        script_.push_back(static_cast<std::uint8_t>(text.size()));
        script_.insert(script_.end(), text.begin(), text.end());
        return *this;
    }
    StepWriter& Byte(std::uint8_t byte) {
        script_.push_back(byte);
        return *this;
    }
    const Bytes& Script() const { return script_; }

private:
    Bytes script_;
};

std::size_t WriteListSeeds(const fs::path& root) {
    SeedWriter seeds(root, "list_operations");
    enum : std::uint8_t {
        kUp,
        kDown,
        kReplace,
        kInsert,
        kDelete,
        kReindex,
        kApply,
        kReplaceRe,
        kInsertRe,
        kShow,
        kSave,
        kExport
    };
    for (const std::uint8_t format : {std::uint8_t{0x00}, std::uint8_t{0x80}}) {
        const std::string suffix = format != 0 ? "_unicode" : "_ascii";
        seeds.Write("every_operation" + suffix, StepWriter(format | 5)
                                                    .Op(kUp, 2)
                                                    .Op(kDown, 0)
                                                    .Op(kReplace, 1)
                                                    .Record("Replaced")
                                                    .Op(kInsert, 0)
                                                    .Record("Inserted")
                                                    .Op(kDelete, 3)
                                                    .Op(kReindex, 0)
                                                    .Op(kApply, 1)
                                                    .Text("Applied")
                                                    .Text("AP")
                                                    .Text("77")
                                                    .Text("2")
                                                    .Op(kReplaceRe, 2)
                                                    .Record("From RE", 1)
                                                    .Op(kInsertRe, 1)
                                                    .Record("Other format", 1)
                                                    .Op(kShow, 0)
                                                    .Op(kSave, 0)
                                                    .Op(kExport, 0)
                                                    .Byte(0)
                                                    .Op(kExport, 1)
                                                    .Byte(1)
                                                    .Script());
        seeds.Write("empty_bank_inserts" + suffix, StepWriter(format)
                                                       .Op(kInsert, 0xFF)
                                                       .Record("First")
                                                       .Op(kInsertRe, 0)
                                                       .Record("Second")
                                                       .Op(kSave, 0)
                                                       .Script());
        seeds.Write("refused_steps" + suffix, StepWriter(format | 2)
                                                  .Op(kUp, 0)
                                                  .Op(kDown, 1)
                                                  .Op(kReplace, 0xFF)
                                                  .Record("x")
                                                  .Op(kInsert, 0xFF)
                                                  .Record("x")
                                                  .Op(kReplace, 0)
                                                  .Byte(2)
                                                  .Byte(3)
                                                  .Byte(1)
                                                  .Byte(2)
                                                  .Byte(3)
                                                  .Op(kApply, 0)
                                                  .Text(std::string(31, 'n'))
                                                  .Text("")
                                                  .Text("-1")
                                                  .Text("256")
                                                  .Op(kSave, 0)
                                                  .Script());
    }
    seeds.Write("bare_bank", StepWriter(0x40 | 3)
                                 .Op(kDelete, 0)
                                 .Op(kApply, 0)
                                 .Text("Bare")
                                 .Text("")
                                 .Text("5")
                                 .Text("")
                                 .Op(kSave, 0)
                                 .Script());
    seeds.Write("control_character_name",
                StepWriter(1).Op(kApply, 0).Text("\x03name").Text("").Text("1").Text("").Op(kSave, 0).Script());
    seeds.Write("zero_byte_in_name",
                StepWriter(1).Op(kApply, 0).Text(std::string("a\0b", 3)).Text("").Text("1").Text("").Script());
    return seeds.Count();
}

std::size_t WriteOttSeeds(const fs::path& root) {
    SeedWriter seeds(root, "ott_reader");
    // Files the writer makes.
    const std::initializer_list<std::pair<const char*, belltower::melody::MelodyFields>> melodies = {
        {"tune", {.name = "Tune", .duration = "4", .octave = "5", .tempo = "125", .notes = "e,e,f,g,8d.,2d,p,g4"}},
        {"tempo_changes", {.name = "Tempo", .notes = "c,t900,d,t25,8e.,t63,p"}},
        {"every_scale_and_triplets", {.name = "Scales", .octave = "4", .notes = "6c,3c#5,12d6,48d#7,1b7,32a4."}},
        {"empty", {.name = "", .tempo = "200"}},
        {"play_twice", {.name = "Twice", .notes = "c,d", .playTwice = true}},
    };
    for (const auto& [name, fields] : melodies) {
        seeds.Write("file_" + std::string(name),
                    WithOptions(0, belltower::formats::ToText(belltower::interchange::WriteOtt(fields)->bytes)));
    }
    // Files as other writers lay them out.
    const std::initializer_list<std::pair<const char*, const char*>> files = {
        // patterns A, B and A again; volume, continuous style, a triplet
        {"file_patterns_replayed", "024a3a4905080c0004a3480801d9691780000000"},
        // staccato style, 900 per minute, a double-dotted whole note, looping without end
        {"file_styles_endless_loop", "024a3a454c041e08e9f382215000"},
        // a title of 20 characters with 4 in its length field
        {"file_long_title", "024a3a5151dd95b9d1e4818da185c9858dd195c9cc81bdac04000a96479161548000"},
        {"file_cut_short", "024a3a5151dd95b9d1e4818da185c9"},
        {"not_a_file", "4a6f793a643d342c6f3d35"},
    };
    for (const auto& [name, hex] : files) {
        seeds.Write(name, WithOptions(0, belltower::formats::ToText(Hex(hex))));
    }
    // Notes texts for the writer.
    const std::initializer_list<std::pair<const char*, const char*>> notes = {
        {"notes_plain", "8c,8d,8e,4p,2g"},
        {"notes_out_of_range", "c3,b9,5c,t120,c,v1,d,v0"},
        {"notes_odd_tokens", "x 12 8c#.6 8c6#. - h"},
    };
    for (const auto& [name, text] : notes) {
        seeds.Write(name, WithOptions(fz::kOttNotes, text));
    }
    seeds.Write("notes_octave_seven_twice", WithOptions(fz::kOttNotes | 6 | fz::kOttPlayTwice, "c,d,e"));
    return seeds.Count();
}

std::size_t WriteDecoderSeeds(const fs::path& root) {
    SeedWriter seeds(root, "tone_decoder");
    // Notes texts: staccato, tempo byte, delay, then the notes.
    using namespace std::string_literals;
    const std::initializer_list<std::tuple<const char*, std::uint8_t, std::string>> notes = {
        {"notes_plain", fz::kDecodeNotes, "\x00\x1c\x01"s + "8c 8d# 4e 16f. 2p g6"},
        {"notes_staccato_twice", fz::kDecodeNotes | fz::kDecodePlayTwice, "\x06\x1c\x0f"s + "4c 4c 8d t200 e"},
        {"notes_long_unicode", fz::kDecodeNotes | fz::kDecodeUnicode | fz::kDecodeForceOnePlay,
         "\x00\x06\x02"s + "1c 1c t400 1d v0 2p."},
        {"notes_no_small_pauses", fz::kDecodeNotes | fz::kDecodeNoSmallPauses, "\x00\x1c\x01"s + "c c p p v1 d#5"},
    };
    for (const auto& [name, options, text] : notes) {
        seeds.Write(name, WithOptions(options, text));
    }
    // Tone data from elsewhere: repeats, unknown commands, no opening, bytes after the end.
    const std::initializer_list<std::pair<const char*, const char*>> data = {
        {"data_repeat", "00 02 FC 09 0A 01 05 03 8B 34 06 8D 34 0A FE 07 0B"},
        {"data_unknown_command", "00 02 FC 09 0A 01 8B 34 12 34 0A 01 0A 01 8D 34 0A FE 07 0B"},
        {"data_no_opening", "8B 34 8B 34 40 02 8D 7D 8D 7D 8D 05"},
        {"data_after_end", "00 02 FC 09 0A 01 8B 34 0A FE 07 0B 8B 34"},
    };
    for (const auto& [name, hex] : data) {
        seeds.Write(name, WithOptions(0, belltower::formats::ToText(Hex(hex))));
    }
    WriteRunawayToneData(seeds, Bytes{0});
    return seeds.Count();
}

std::size_t WriteMidiSeeds(const fs::path& root) {
    SeedWriter seeds(root, "midi_reader");
    belltower::melody::MelodyFields fields;
    fields.name = "Seed";
    fields.notes = "8c 8d# 4e t200 16f. 2p g6 1c";
    const auto record = belltower::melody::EncodeMelody(fields, TextFormat::Ascii, std::nullopt).record;
    seeds.Write("written", *belltower::interchange::WriteMidiMelody(*record));
    const std::initializer_list<std::pair<const char*, const char*>> files = {
        // format 1: a tempo track, a track with running status, a drum note, an overlapping note
        {"two_tracks_running_status", "4D546864 00000006 0001 0002 0060"
                                      "4D54726B 0000000B 00FF5103 07A120 00FF2F00"
                                      "4D54726B 00000019 00903C40 30 3C00 00 4040 00 99 24 40 60 80 4000 00FF2F00"},
        {"smpte_division", "4D546864 00000006 0000 0001 E728 4D54726B 0000000C 00 90 45 50 8140 80 45 00 00FF2F00"},
        {"chunk_past_end", "4D546864 00000006 0000 0001 0060 4D54726B 00000020 00 90"},
        {"sysex_and_text",
         "4D546864 00000006 0000 0001 0060 4D54726B 00000012 00 F0 03 7E 7F F7 00 FF 01 02 6869 00FF2F00"},
    };
    for (const auto& [name, hex] : files) {
        seeds.Write(name, Hex(hex));
    }
    namespace t = belltower::testing;
    seeds.Write("runaway_huge_gap", t::HugeGapMidi());
    seeds.Write("runaway_tiny_tempo", t::TinyTempoMidi());
    seeds.Write("runaway_many_tracks", t::ManyTrackMidi(2000));
    seeds.Write("name_breaking_ringtone_text", t::NamedMidi("a:b,c=d:e\r\nx"));
    return seeds.Count();
}

// iMelody files, Composer texts and ringtone text for both writers.
std::size_t WriteTextRingtoneSeeds(const fs::path& root) {
    SeedWriter seeds(root, "text_ringtones");
    namespace ic = belltower::interchange;
    const std::initializer_list<std::pair<const char*, const char*>> lines = {
        {"tune", "Tune:d=4,o=5,b=125:c,8d#6,4p,2a5.,16g#7,32b6,1c5"},
        {"octaves_and_triplets", "B:d=8,o=6,b=63:c,d,e,4f.,2p,g,a,b,6c4,12d8,3e"},
        {"tags_and_odd_lengths", "R:d=4,o=5,b=100:6c,t200,v1,64d,v0,5e,x"},
        {"control_character_name", "a\x01-b:d=4,o=5,b=120:c,d"},
        {"no_notes", "Empty:d=4,o=5,b=125:"},
    };
    for (const auto& [name, line] : lines) {
        const auto score = belltower::melody::ReadScoreText(line);
        seeds.Write("imelody_" + std::string(name),
                    WithOptions(0, belltower::formats::ToText(ic::WriteImelody(score).bytes)));
        seeds.Write("composer_" + std::string(name),
                    WithOptions(fz::kTextComposer, belltower::formats::ToText(ic::WriteComposer(score).bytes)));
        seeds.Write("ringtone_imelody_" + std::string(name), WithOptions(fz::kTextRingtone, line));
        seeds.Write("ringtone_composer_" + std::string(name), WithOptions(fz::kTextRingtone | fz::kTextComposer, line));
    }
    seeds.Write("ringtone_twelve_minutes",
                WithOptions(fz::kTextRingtone | fz::kTextComposer, belltower::testing::TwelveMinuteRingtone()));
    // iMelody as other writers lay it out.
    const std::string head = "BEGIN:IMELODY\r\nVERSION:1.2\r\nFORMAT:CLASS1.0\r\n";
    std::string closes;
    for (int i = 0; i < 2000; ++i) {
        closes += "@2)";
    }
    const std::initializer_list<std::pair<const char*, std::string>> files = {
        {"imelody_folded_lf", "begin:imelody\nbeat:125\nmelody:c2d2\n e2\n\tf2\nend:imelody\n"},
        {"imelody_carried_marks", head + "MELODY:*3b2*4c2d2c2*3b2a2g2a2*4c1\r\nEND:IMELODY\r\n"},
        {"imelody_lengths_and_repeats", head + "BEAT:90\r\nMELODY:(c2;&d3:r2:@3)(e0@0)#f5.\r\nEND:IMELODY\r\n"},
        {"imelody_styles_commands", head + "NAME:Caf\xC3\xA9 \xE2\x82\xAC\r\nSTYLE:S2\r\nVOLUME:V9\r\n"
                                           "MELODY:vibeonc2ledonV+V12backoffvibeoff c6 @2)\r\nEND:IMELODY\r\n"},
        {"imelody_no_end", head + "BEAT:x\r\nMELODY:(c2d2"},
        // Blocks nested deep, each doubling what it holds: the melody is cut at what a record
        // holds, however many blocks close after that.
        {"runaway_nested_repeats", head + "MELODY:" + std::string(2000, '(') + "c5" + closes + "\r\nEND:IMELODY\r\n"},
        {"runaway_huge_count", head + "MELODY:((c5d5@999999999)@999999999)\r\nEND:IMELODY\r\n"},
    };
    for (const auto& [name, file] : files) {
        seeds.Write(name, WithOptions(0, file));
    }
    // Composer texts as ringtone pages publish them.
    const std::initializer_list<std::pair<const char*, const char*>> texts = {
        {"composer_bare_line", "8d2 8d2 4- 2#d3\n"},
        {"composer_skipped_tokens", "Name: Tune\r\nTempo: 100\r\nNotes: 4c1 zz 8.d2 4h3 16c.1 32-.\r\n"},
        {"composer_keys_only", "Tempo: 1e9\nKeys: 5(hold)#**88 0 1*8\n"},
    };
    for (const auto& [name, text] : texts) {
        seeds.Write(name, WithOptions(fz::kTextComposer, text));
    }
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
        std::printf("firmware_reader: %zu seeds\n", WriteFirmwareSeeds(root));
        std::printf("record_exchange: %zu seeds\n", WriteExchangeSeeds(root));
        std::printf("list_operations: %zu seeds\n", WriteListSeeds(root));
        std::printf("ott_reader: %zu seeds\n", WriteOttSeeds(root));
        std::printf("tone_decoder: %zu seeds\n", WriteDecoderSeeds(root));
        std::printf("midi_reader: %zu seeds\n", WriteMidiSeeds(root));
        std::printf("text_ringtones: %zu seeds\n", WriteTextRingtoneSeeds(root));
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_fuzz_seeds: %s\n", e.what());
        return 1;
    }
}
