// SPDX-License-Identifier: GPL-3.0-or-later
// The command line is glue over the core, which is tested byte for byte in its own folders. Here
// each command and flag runs once in-process and must write what the core writes for it, each
// failure must reach standard error with its exit status and change no file, and the listing is
// checked once in each of its formats.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "bank/firmware_reader.h"
#include "bank/firmware_writer.h"
#include "bank/list_operations.h"
#include "bank/re_exchange.h"
#include "bank/record_properties.h"
#include "cli/cli.h"
#include "cli/text_encoding.h"
#include "formats/file_io.h"
#include "interchange/melody_file.h"
#include "interchange/midi.h"
#include "interchange/ott.h"
#include "interchange/piano_roll_svg.h"
#include "melody/rtx_text.h"
#include "melody/tone_decoder.h"
#include "melody/tone_encoder.h"
#include "preview/wav_writer.h"
#include "support/hex.h"
#include "support/hostile_inputs.h"
#include "support/image_builder.h"
#include "support/midi_builder.h"
#include "support/scratch_dir.h"

namespace belltower::cli {
namespace {

using formats::Bytes;
using formats::TextFormat;
using formats::ToBytes;
using formats::ToText;
using interchange::MelodyOutput;
using interchange::ReadMelodyFile;
using melody::DecodeMelody;
using melody::EncodeMelody;
using melody::Hardware;
using testing::Hex;
constexpr TextFormat kAscii = TextFormat::Ascii;
constexpr TextFormat kUnicode = TextFormat::Unicode;

// A band: chords and a bass line on two channels of one track, the tune, drums; 96 ticks a quarter.
Bytes Band() {
    using testing::MidiTrack;
    const std::vector<testing::BuiltNote> chords = {
        {0, 192, 60},   {0, 192, 64},   {0, 192, 67},     {192, 384, 65},    {192, 384, 69},
        {192, 384, 72}, {0, 96, 48, 2}, {96, 192, 50, 2}, {192, 288, 72, 2}, {288, 384, 74, 2}};
    const Bytes tune =
        MidiTrack({{0, 96, 72, 2}, {96, 192, 74, 2}, {192, 288, 76, 2}, {288, 384, 77, 2}}, "Melody", 73);
    return testing::MidiFile(1, 96,
                             {MidiTrack(chords, "Band", 0, 90), tune, MidiTrack({{0, 48, 36, 10}, {96, 144, 36, 10}})});
}

// band.mid read with MIDI options, as ringtone text.
Bytes MidiRtx(const interchange::MidiReadOptions& options) {
    return ToBytes(melody::WriteRtxText(interchange::ReadMidi(Band(), options)->fields));
}

// Settings, a repeated note, a sharp, a tempo, vibration, a pause and notes the hardware ranges differ on.
constexpr const char* kTune = "Tune:d=4,o=5,b=125,f=TUNE,i=7,s=0,@=3:8c 8c 4d# t200 v1 2e. v0 p 8c3 8c4\r\n";
const std::string kNoTempo = "The note \"4c\" cannot be timed: the BPM field gives a tempo of 0.\n";
const std::string kUsage = "\nRun with --help for more information.\n";
const std::string kCantWrite = "standard output: it could not be written.\n";
const Bytes kTone = Hex("0A 01 8B 34 0A FE 07 0B");                 // bare tone data: no record header
const std::string kMthdName = "MThd tune:d=4,o=5,b=100:c,d,e\r\n";  // ringtone text, not a damaged MIDI file
const std::string kCutAtTen = "The melody plays longer than ten minutes; it is cut at 10:00.\n";
const Bytes kRe7110 = testing::MakeRecord(kUnicode, 99, "RE", "From file", Hex("00 02 FC 09 7F 10 0A FE 07 0B"));

melody::MelodyFields Fields(const std::string& ringtone) {
    melody::MelodyFields fields;
    melody::ReadRtxText(ringtone, fields);
    return fields;
}

// What Save as RE writes after the ringtone is opened in a fresh window.
Bytes Encoded(const std::string& ringtone, TextFormat form = kAscii, bool twice = false, bool noPauses = false) {
    melody::MelodyFields fields = Fields(ringtone);
    fields.playTwice = twice;
    fields.noSmallPauses = noPauses;
    auto encoded = EncodeMelody(fields, form, std::nullopt);
    return encoded.record ? *encoded.record : Bytes{};
}

Bytes Wav(const Bytes& melody, bool vibration, bool half, Hardware hardware) {
    return preview::WriteWav(melody, {vibration, half, hardware}).wav;
}

Bytes Roll(const melody::Timeline& timeline, Hardware hardware = Hardware::Phone) {
    return ToBytes(interchange::WritePianoRollSvg(timeline, "Tune", hardware));
}

// An image of the given records, then melodies M1 to Mcount with indexes 11, 12, ..., ID "ID" and purpose 2.
Bytes Image(TextFormat format, std::size_t count, std::vector<Bytes> records = {}) {
    for (std::size_t i = 1; i <= count; ++i) {
        records.push_back(testing::MakeRecord(format, static_cast<std::uint32_t>(10 + i), "ID", "M" + std::to_string(i),
                                              Hex("0A 01 8B 34 0A FE 07 0B"), 2));
    }
    testing::ImageLayout layout;
    layout.records = std::move(records);
    return testing::BuildImage(layout).image;
}

// The image Save Firmware writes after `edit` of the loaded image.
Bytes Edited(const Bytes& image, const auto& edit) {
    bank::ToneBank bank;
    (void)bank::ApplyFirmwareImage(bank, *bank::ReadFirmwareImage(image, "image"), false);
    edit(bank);
    return bank::BuildFirmwareImage(bank);
}

// An ASCII bank whose second melody begins with a control character: at the top it would make
// the bank read back as Unicode. With damagedLast the third has no terminator after its name.
Bytes FlipImage(bool damagedLast = false) {
    std::vector<Bytes> records;
    for (const char* name : {"M1", "\x01M2", "M3"}) {
        records.push_back(testing::MakeRecord(kAscii, 1, "ID", name, Hex("0A 01 8B 0B")));
    }
    records[2][19] = damagedLast ? std::uint8_t{'x'} : std::uint8_t{0};
    return Image(kAscii, 0, records);
}

const Bytes kAscii3 = Image(kAscii, 3);
const Bytes kUnicode3 = Image(kUnicode, 3);

// Runs in a scratch folder of its own holding the inputs the tests name, so that messages name
// the files as they were given.
class Cli : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::current_path(dir_.path());
        // clang-format off
        const std::pair<const char*, std::string> files[] = {
            {"tune.rtx", kTune}, {"tune.ert", kTune}, {"broken.rtx", "Broken:b=0:4c\r\n"},
            {"tune.re", ToText(Encoded(kTune))}, {"cut.re", ToText(Encoded(kTune)).substr(0, 30)},
            {"u.re", ToText(kRe7110)}, {"a3.fls", ToText(kAscii3)}, {"u3.fls", ToText(kUnicode3)},
            {"flip.fls", ToText(FlipImage())}, {"ro", "old"}, {"tone.wav", std::string("RIFF\x24\0\0\0WAVEfmt ", 16)},
            {"x.png", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16)},
            {"song.mid", ToText(*interchange::WriteMidiMelody(Encoded(kTune)))},
            {"tone.bin", ToText(kTone)}, {"tone2.bin", ToText(kTone)},

            {"long.rtx", testing::TwelveMinuteRingtone()}, {"mthd.rtx", kMthdName},
            {"name.mid", ToText(testing::NamedMidi("a:b,c=d:e"))},
            {"cut.mid", ToText(Hex("4D546864 00000006 0000 0001 0060 4D54726B 00000003 00 90 3C"))},
            {"band.mid", ToText(Band())}};
        // clang-format on
        for (const auto& [name, text] : files) {
            std::ofstream(name, std::ios::binary) << text;
        }
        std::filesystem::permissions("ro", std::filesystem::perms::owner_read);
        std::filesystem::create_directory("records");
    }
    void TearDown() override { std::filesystem::current_path(home_); }

    static Bytes Read(const std::string& name) {
        auto bytes = formats::ReadFileBytes(name);
        return bytes ? *bytes : Bytes{};
    }
    // Every file of the folder with its bytes.
    static std::map<std::string, Bytes> Files() {
        std::map<std::string, Bytes> files;
        for (const auto& entry : std::filesystem::directory_iterator(".")) {
            files[entry.path().string()] = Read(entry.path().string());
        }
        return files;
    }

    std::filesystem::path home_ = std::filesystem::current_path();
    testing::ScratchDir dir_{"cli"};
};

TEST_F(Cli, EachCommandAndFlagReachesTheCoreAndEachFailureIsReported) {
    // A melody whose repeats would play for hours: 05 FF, a note, then three repeat ends.
    const Bytes loop = testing::MakeRecord(kAscii, 1, "", "L", Hex("00 02 FC 09 05 FF 7F FF 06 06 06 07 0B"));
    const Bytes record = Encoded(kTune, kAscii, true, true), single = Image(kAscii, 0, {record});
    const Bytes many = Image(kAscii, 66);
    const melody::MelodyFields fromMidi = ReadMelodyFile(*interchange::WriteMidiMelody(Encoded(kTune)))->fields;
    const Bytes decoded = ToBytes(melody::WriteRtxText(DecodeMelody(record).fields));
    // Read with --from tone, and with several inputs every warning names its input.
    const interchange::MelodyImport fromTone = interchange::ReadToneData(kTone);
    const auto toneText = *WriteMelodyFields(fromTone.fields, MelodyOutput::Rtx);
    std::string toneWarnings, namedWarnings;
    for (const std::string name : {"tone.bin", "tone2.bin"}) {
        for (const auto& warnings : {fromTone.warnings, toneText.warnings}) {
            for (const std::string& warning : warnings) {
                toneWarnings += name == "tone.bin" ? warning + "\n" : "";
                namedWarnings += name + ": " + warning + "\n";
            }
        }
    }
    EXPECT_FALSE(fromTone.warnings.empty());
    const std::string lost =
        "Ringtone text cannot hold every option of this melody; encode it with: --twice --no-small-pauses\n";
    const std::string plain = "Plain:b=125:8c 4d#\r\n", empty = "Empty:b=140:\r\n", huge(1024 * 1024 + 1, 'c');
    const Bytes unicodeBank = Image(kUnicode, 0,
                                    {testing::MakeRecord(kUnicode, 3, "AB", "Gr\xFC\xDF \"1\"", Hex("0A FE 07 0B"), 2),
                                     testing::MakeRecord(kUnicode, 4, "", "Tab\tA", Hex("0A 0A 07 0B"), 0)});
    struct Case {
        std::string line;      // the arguments, split at spaces
        int status = 0;        // 1: refused, 2: usage error; nothing is written then
        std::string err{};     // standard error; "*": any
        Bytes expected{};      // what the command writes
        std::string input{};   // standard input
        std::string output{};  // the file written; empty: standard output
        bool badOutput = false;
    };
    // clang-format off
    const Case cases[] = {
        // --force after the command replaces a read-only file.
        {"encode tune.rtx --unicode --twice --no-small-pauses -o ro --force", 0, "",
         Encoded(kTune, kUnicode, true, true), "", "ro"},
        {"encode tune.ert", 0, "", Encoded(kTune), "", "tune.re"},  // named after its input
        {"encode -", 0, std::string(melody::kNoDataText) + "\n", Encoded(empty), empty},  // no -o: standard output
        {"encode - -o - --to ott", 0, "", interchange::WriteOtt(Fields(plain))->bytes, plain},
        {"encode - -o -", 0, "", record, ToText(record)},  // an RE file in, the same record out
        {"to-rtx - -o -", 0, "", ToBytes("Beep:d=4,o=5,b=125,f=,i=1,c=0,s=0,@=1:8c,8d:e\r\n"),
         "Beep:D=4,O=5,B=125, x=1:8c,8d:e\nnext line\n"},
        {"decode - -o -", 0, lost, decoded, ToText(record)},
        {"decode - -o - --from TONE", 0, toneWarnings, toneText.bytes, ToText(kTone)},
        {"encode tone.bin tone2.bin -d records --to rtx --from tone", 0, namedWarnings, toneText.bytes, "",
         "records/tone2.rtx"},
        {"formats", 0, "", ToBytes("re        .re         reads, writes  RE melody record\n"
                                   "rtx       .rtx .ert   reads, writes  Ringtone text (RTX, ERT)\n"
                                   "mid       .mid .midi  reads, writes  MIDI file\n"
                                   "ott       .ott        reads, writes  Smart Messaging ringtone\n"
                                   "imy       .imy        reads, writes  iMelody\n"
                                   "composer  .txt        reads, writes  Composer codes\n"
                                   "tone      -           reads          Bare tone data\n")},
        {"render tune.rtx -o out", 0, "", Wav(Encoded(kTune), true, false, Hardware::Phone), "", "out"},
        {"render tune.re -o - --no-vibration --hardware LogoManager", 0, "",
         Wav(Encoded(kTune), false, false, Hardware::LogoManager)},
        {"render song.mid -o -", 0, "The notes are moved up 2 octaves (transposed by 24 semitones) to lie in the "
         "phone's range.\n", Wav(*EncodeMelody(fromMidi, kAscii, {}).record, true, false, Hardware::Phone)},
        {"render - -o - --half --hardware none", 0,
         "The melody plays longer than 600 seconds (its repeats multiply); the preview stops there.\n",
         Wav(loop, true, true, Hardware::None), ToText(loop)},
        {"roll tune.re -o - --hardware none", 0, "", Roll(DecodeMelody(Encoded(kTune)).timeline, Hardware::None)},
        {"roll tune.rtx -o -", 0, "", Roll(EncodedTimeline(EncodeMelody(Fields(kTune), kAscii, {})))},
        // What is cut at ten minutes is said on every path.
        {"roll long.rtx -o -", 0, kCutAtTen, ToBytes(interchange::WritePianoRollSvg(EncodedTimeline(
             EncodeMelody(Fields(testing::TwelveMinuteRingtone()), kAscii, {})), "Long", Hardware::Phone))},
        {"fit tune.rtx", 0, "", ToBytes("notes            6\nseconds          2.52\n"
                                         "out of range     phone: c3 c4; logomanager: c3\ntone data        32 bytes\n"
                                         "smart messaging  27 bytes, 1 SMS\ncomposer         fits\n"
                                         "- Out of range for the phone (a4 to b7): c3, c4.\n"
                                         "- Out of range for LogoManager (c4 to b7): c3.\n")},
        // In a Unicode bank whose chunk chain is followed by erased flash up to the end of the block.
        {"fit tune.re --image u3.fls --json", 0, "",
         ToBytes("{\n  \"notes\": 6,\n  \"seconds\": 2.52,\n  \"outOfRange\": {\n    \"phone\": [\n      \"c3\",\n"
                 "      \"c4\"\n    ],\n    \"logomanager\": [\n      \"c3\"\n    ]\n  },\n"
                 "  \"toneDataBytes\": 32,\n  \"sms\": {\n    \"bytes\": 27,\n    \"parts\": 1\n  },\n"
                 "  \"composer\": {\n    \"fits\": true,\n    \"problems\": []\n  },\n"
                 "  \"bank\": {\n    \"freeBytes\": 65324,\n    \"fits\": true\n  }\n}\n")},
        {"encode long.rtx -o - --to mid", 0, kCutAtTen,
         WriteMelodyFields(Fields(testing::TwelveMinuteRingtone()), MelodyOutput::Mid)->bytes},
        {"decode mthd.rtx -o -", 0, "", ToBytes(melody::WriteRtxText(Fields(kMthdName)))},
        {"decode name.mid -o -", 0, "The notes are moved up 1 octave (transposed by 12 semitones) to lie in the "
         "phone's range.\n" + std::string(melody::kRtxNameChangedText) + "\n",
         WriteMelodyFields(ReadMelodyFile(testing::NamedMidi("a:b,c=d:e"))->fields, MelodyOutput::Rtx)->bytes},
        // Each MIDI option reaches the import, on every command that reads a melody.
        {"decode band.mid -o - --track 2 --voice lowest --transpose -12 --hardware none", 0, "",
         MidiRtx({.track = 2, .voice = interchange::VoiceRule::Lowest, .transpose = -12, .hardware = Hardware::None})},
        {"decode band.mid -o - --channel 2 --max-notes 2 --voice first", 0, "*",
         MidiRtx({.channel = 2, .voice = interchange::VoiceRule::First, .maxNotes = 2})},
        {"encode band.mid -o - --to rtx --transpose auto --max-seconds 1", 0, "*", MidiRtx({.maxSeconds = 1})},
        {"tracks band.mid", 0, "",
         ToBytes("   #  channels  notes  range    poly  drums  instrument                name\n"
                 "   1  1,2          10  c3-d5       4  no     Acoustic Grand Piano      Band\n"
                 "*  2  2             4  c5-f5       1  no     Flute                     Melody\n"
                 "   3  10            2  c2-c2       1  yes                              \n")},
        {"tracks - --json", 0, "", ToBytes(nlohmann::ordered_json::parse(
             R"({"tracks": [{"number": 1, "name": "Band", "instrument": "Acoustic Grand Piano", "channels": [1, 2], )"
             R"("notes": 10, "low": "c3", "high": "d5", "maxPolyphony": 4, "drums": false}, {"number": 2, )"
             R"("name": "Melody", "instrument": "Flute", "channels": [2], "notes": 4, "low": "c5", "high": "f5", )"
             R"("maxPolyphony": 1, "drums": false}, {"number": 3, "name": "", "instrument": "", "channels": [10], )"
             R"("notes": 2, "low": "c2", "high": "c2", "maxPolyphony": 1, "drums": true}], "default": 2})")
             .dump(2) + "\n"), ToText(Band())},  // the JSON indented by two, on lines of its own
        {"convert - -o - --to ASCII", 0, "", Encoded(kTune), ToText(*bank::RecordToUnicode(Encoded(kTune)))},
        {"convert - -o - --to rtx", 0, lost, decoded, ToText(record)},
        // More than 65 melodies in an ASCII bank: a warning, no question.
        {"bank save - -o -", 0, std::string(bank::kTooManyMelodies) + "\n", many, ToText(many)},
        {"bank export - 1 --to unicode -o -", 0, "", *bank::RecordToUnicode(record), ToText(single)},
        {"bank export - 1 -o - --to MID", 0, "", *interchange::WriteMidiMelody(record), ToText(single)},
        {"bank insert a3.fls 2 tune.rtx -o -", 0, "",
         Edited(kAscii3, [](auto& b) { (void)bank::Insert(b, 1, Encoded(kTune)); })},
        {"bank insert a3.fls 3 u.re -o -", 0, "", Edited(kAscii3, [](auto& b) { (void)InsertFromRe(b, 2, kRe7110); })},
        {"bank replace u3.fls 1 tune.rtx -o -", 0, "",
         Edited(kUnicode3, [](auto& b) { (void)bank::Replace(b, 0, Encoded(kTune, kUnicode)); })},
        {"bank move u3.fls 3 1 -o -", 0, "", Edited(kUnicode3, [](auto& b) { MoveUp(b, *MoveUp(b, 2)); })},
        {"bank move u3.fls 1 3 -o -", 0, "", Edited(kUnicode3, [](auto& b) { MoveDown(b, *MoveDown(b, 0)); })},
        {"bank reindex u3.fls -o -", 0, "", Edited(kUnicode3, [](auto& b) { bank::Reindex(b); })},
        // A name typed in UTF-8 is stored in Latin-1.
        {"bank set u3.fls 2 --name F\xC3\xBC\xC3\x9F --id AB --index 42 --purpose 5 -o -", 0, "",
         Edited(kUnicode3, [](auto& b) { (void)bank::ApplyRecordEdits(b, 1, {"F\xFC\xDF", "AB", "42", "5"}); })},
        // --force answers the question about an index two melodies share.
        {"bank set a3.fls 3 --index 11 --force -o -", 0, "M3 has the same index 11 as M1. Please correct it.\n",
         Edited(kAscii3, [](auto& b) { (void)bank::ApplyRecordEdits(b, 2, {"M3", "ID  ", "11", "n/a"}); })},
        {"--version", 0, "",
         ToBytes("belltower-cli " BELLTOWER_VERSION
                 "\nLicense GPL-3.0-or-later: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.\n"
                 "This is free software: you are free to change and redistribute it.\n"
                 "There is NO WARRANTY, to the extent permitted by law.\n")},
        // What an edit would refuse is said where the melodies are seen.
        {"bank list -", 0,
         "Melody 2: The melody \"?M2\" cannot come first in the list: its name begins with a control character, so "
         "the bank would read back as Unicode.\nMelody 3: " + std::string(bank::kNoNameTerminator) + "\n",
         ToBytes("PPM NHM-5 V 5.31 synthetic test image       [ASCII]\n"
                 "3 melodies\n"
                 "Pos  Index  ID    Name  Play mode                     Length\n"
                 "  1      1  ID    M1    Ringing and preview infinite      24\n"
                 "  2      1  ID    ?M2   Ringing and preview infinite      28\n"
                 "  3      1  ID    M3    Ringing and preview infinite      24\n"), ToText(FlipImage(true))},
        {"bank list - --json", 0, "",
         ToBytes("{\n  \"header\": \"PPM NHM-5 V 5.31 synthetic test image       \",\n  \"format\": \"unicode\",\n"
              "  \"count\": 2,\n  \"melodies\": [\n"
              "    {\"position\": 1, \"index\": 3, \"id\": \"AB  \", \"name\": \"Gr\xC3\xBC\xC3\x9F \\\"1\\\"\", "
              "\"purpose\": 2, \"playMode\": 0, \"playModeText\": \"Ringing and preview infinite\", \"length\": 40},\n"
              "    {\"position\": 2, \"index\": 4, \"id\": \"    \", \"name\": \"Tab\\u0009A\", \"purpose\": 0, "
              "\"playMode\": 2, \"playModeText\": \"Preview twice\", \"length\": 36}\n"
              "  ]\n}\n"), ToText(unicodeBank)},
        // Several inputs go on past failures, one message each; tune.ert must not replace tune.rtx's record.
        {"encode broken.rtx missing.rtx tune.rtx tune.ert -d records", 1, "broken.rtx: " + kNoTempo +
         "missing.rtx: No such file or directory\n"
         "tune.ert: its record records/tune.re is the record of tune.rtx already; not encoded.\n",
         Encoded(kTune), "", "records/tune.re"},

        {"encode broken.rtx -o new.re", 1, kNoTempo},
        {"encode tune.rtx -o no/such/out.re", 1, "no/such/out.re: No such file or directory\n"},
        {"encode tone.wav -o x", 1, "tone.wav: This is not ringtone text: it looks like a WAV file.\n"},
        {"encode -", 1, "standard input: it is larger than 1 MB, more than any ringtone text or RE file holds.\n", {},
         huge},
        {"encode tune.rtx -o ro", 1, "ro: the file is read-only; give --force to replace it.\n"},
        {"encode tune.re", 1, "*"},  // an RE file given as input is not replaced by its own record
        {"to-rtx missing.rtx -o x", 1, "missing.rtx: No such file or directory\n"},
        {"render cut.re -o x", 1, "Not a valid raw melody file!\n"},  // not read as text
        {"render tune.rtx -o x --from re", 1, "Not a valid raw melody file!\n"},
        {"decode - -o -", 1, "*", {}, ToText(kTone)},  // not recognised as tone data: read as text, refused
        {"decode cut.mid -o -", 0, "The MIDI file is damaged: the track 1 ends inside an event at byte 22; the track "
         "is read up to there.\n", ToBytes(melody::WriteRtxText(interchange::ReadMidi(Read("cut.mid"))->fields))},
        {"decode band.mid -o - --track 9", 1, "band.mid: The MIDI file has 3 tracks; there is no track 9.\n"},
        {"tracks tune.rtx", 1, "tune.rtx: This is not a MIDI file: it does not start with \"MThd\".\n"},
        {"render broken.rtx -o x", 1, kNoTempo}, {"roll broken.rtx -o x", 1, kNoTempo}, {"fit broken.rtx", 1, kNoTempo},
        {"convert cut.re -o x --to unicode", 1, "Not a valid raw melody file!\n"},
        {"--max-image-size 1 bank list -", 1, "standard input: it is larger than 1 MB, the most a firmware image may "
         "have here (--max-image-size raises it).\n", {}, huge},
        {"bank save tune.rtx -o x", 1, "tune.rtx doesn't contain PPM section or is not in Dejan/RAW format!\n"},
        {"bank export a3.fls 4 -o x", 1, "Position 4 is out of range: the bank holds 3 melodies (positions 1 to 3).\n"},
        {"bank insert - 1 - -o x", 1, "standard input: it can be read only once.\n", {}, ToText(kAscii3)},
        {"bank replace a3.fls 1 x.png -o -", 1, "x.png: This is not ringtone text: it looks like a PNG image.\n"},
        // The second melody would come first.
        {"bank delete flip.fls 1 -o flip.fls", 1, "*"}, {"bank move flip.fls 3 1 -o flip.fls", 1, "*"},
        {"bank set a3.fls 1 --purpose 2 -o x", 1,
         "The melodies of an ASCII bank have no purpose: --purpose is for Unicode banks only.\n"},
        {"bank set a3.fls 2 --index 11 -o a3.fls", 1,
         "M2 has the same index 11 as M1. Please correct it.\nNot done: give --force to answer OK.\n"},
        {"encode - -o -", 1, kCantWrite, {}, kTune, "", true}, {"--version", 1, kCantWrite, {}, "", "", true},
        {"bank list -", 1, kCantWrite, {}, ToText(kAscii3), "", true},

        {"", 2}, {"encode a.rtx b.rtx", 2} /* several inputs need -d */, {"encode a.rtx -o x.re -d .", 2},
        {"encode - a.rtx -d .", 2} /* standard input has no name */, {"to-rtx a.rtx", 2} /* -o is required */,
        {"render a.rtx -o a.wav --hardware siemens", 2}, {"convert a.re -o b.re", 2} /* --to is required */,
        {"bank set a.fls 1 -o b.fls", 2} /* nothing to set */, {"bank export a.fls 1 -o b.re --to latin1", 2},
        {"decode a.re -o b --from wav", 2}, {"decode a.mid -o b --channel 17", 2},
        {"roll a.mid -o b --transpose up", 2}, {"encode a.mid --voice middle", 2}, {"tracks", 2},
        {"bank delete a.fls -1 -o b", 2}, {"bank move a.fls 1.5 2 -o b", 2}, {"bank move a.fls 1234567890 2 -o b", 2},
        {"encode tune.rtx --output=", 2}, {"roll tune.rtx --output=", 2}, {"encode tune.rtx --directory=", 2},
        {"frob x", 2, "Unknown command: frob" + kUsage}, {"bank frob x", 2, "Unknown command: frob" + kUsage},
        {"bank delete a3.fls 1 -o a3.fls", 0, "", Edited(kAscii3, [](auto& b) { bank::Delete(b, 0); }), "",
         "a3.fls"},  // in place, last
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        std::istringstream words(c.line), in(c.input);
        std::ostringstream out, err;
        out.setstate(c.badOutput ? std::ios::badbit : std::ios::goodbit);
        const auto before = Files();
        const std::vector<std::string> args(std::istream_iterator<std::string>(words), {});
        EXPECT_EQ(c.status, cli::Run(args, in, out, err));
        EXPECT_TRUE(c.err == "*" || c.err == err.str() || (c.status == 2 && c.err.empty())) << err.str();
        EXPECT_TRUE(c.status != 2 || err.str().ends_with(kUsage)) << err.str();
        EXPECT_BYTES_EQ(c.expected, c.output.empty() ? ToBytes(out.str()) : Read(c.output));
        if (c.status != 0 && c.output.empty()) {
            EXPECT_EQ(before, Files());  // no file changed, no new or temporary file left behind
        }
    }
}

TEST(TextEncoding, CommandLineTextsBecomeLatin1) {
    const std::string refused = "The name holds a character the phone cannot store: only Latin-1 characters fit.";
    const std::pair<std::string, std::string> cases[] = {
        {"F\xC3\xBC\xC3\x9F", "F\xFC\xDF"},  // UTF-8 from the shell
        {"F\xFC\xDF", "F\xFC\xDF"},          // not UTF-8: already Latin-1
        {"\xC3", "\xC3"},                    // cut short: not UTF-8
        {"\xC0\xA0", "\xC0\xA0"},            // overlong form: not UTF-8
        {"\xE2\x82\xAC uro", refused},       // U+20AC fits no record
        {"\xF0\x9F\x8E\xB5", refused},       // nor does U+1F3B5
    };
    for (const auto& [argument, latin1] : cases) {
        const auto converted = ArgumentToLatin1(argument, "name");
        EXPECT_EQ(latin1, converted ? *converted : converted.error().message);
    }
}

}  // namespace
}  // namespace belltower::cli
