// The commands run in-process against the core routines the window's buttons run: every file
// written must be the one the window writes. The core itself is tested byte for byte in its own
// folders; here each command is checked once, with its arguments, streams and exit statuses.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "bank/firmware_reader.h"
#include "bank/firmware_writer.h"
#include "bank/list_operations.h"
#include "bank/re_exchange.h"
#include "bank/record_properties.h"
#include "cli/cli.h"
#include "formats/file_io.h"
#include "interchange/piano_roll_svg.h"
#include "melody/rtx_text.h"
#include "melody/tone_decoder.h"
#include "melody/tone_encoder.h"
#include "preview/wav_writer.h"
#include "support/hex.h"
#include "support/image_builder.h"

namespace belltower::cli {
namespace {

using bank::ToneBank;
using formats::Bytes;
using formats::TextFormat;
using formats::ToBytes;
using formats::ToText;
using testing::Hex;
constexpr TextFormat kAscii = TextFormat::Ascii;
constexpr TextFormat kUnicode = TextFormat::Unicode;

// Settings, a repeated note (small pause), a sharp, a tempo tag, vibration on and off, a pause and
// low notes (the hardware models differ there).
constexpr const char* kTune = "Tune:d=4,o=5,b=125,f=TUNE,i=7,s=0,@=3:8c 8c 4d# t200 v1 2e. v0 p 8c3 8c4\r\n";
constexpr const char* kForceOnce = "Once:b=90,c=1:4g 4a\r\n";
constexpr const char* kEmpty = "Empty:b=140:\r\n";
const std::string kNoTempo = "The note \"4c\" cannot be timed: the BPM field gives a tempo of 0.\n";
const Bytes kUnicodeRe = testing::MakeRecord(kUnicode, 99, "RE", "From file", Hex("00 02 FC 09 7F 10 0A FE 07 0B"));

// What the window saves with Save as RE after opening the ringtone in a fresh window.
Bytes Encoded(const std::string& ringtone, TextFormat form = kAscii, bool twice = false, bool noSmallPauses = false) {
    melody::MelodyFields fields;
    melody::ReadRtxText(ringtone, fields);
    fields.playTwice = twice;
    fields.noSmallPauses = noSmallPauses;
    auto encoded = melody::EncodeMelody(fields, form, std::nullopt);
    EXPECT_TRUE(encoded.record.has_value());
    return encoded.record.has_value() ? *encoded.record : Bytes{};
}

// Melodies M1, M2, ... with indexes 11, 12, ..., IDs "ID" and purpose 2.
// The picture of a melody record: its decoded timeline (the tempos the text would write).
Bytes RollOf(const Bytes& record, melody::Hardware hardware) {
    const melody::DecodedMelody decoded = melody::DecodeMelody(record);
    return formats::ToBytes(interchange::WritePianoRollSvg(decoded.timeline, decoded.fields.name, hardware));
}

// The picture of ringtone text: the encoder's timeline, with the tempos the text gives.
Bytes RollOfText(const std::string& ringtone) {
    melody::MelodyFields fields;
    melody::ReadRtxText(ringtone, fields);
    const auto timeline = melody::EncodedTimeline(melody::EncodeMelody(fields, kAscii, std::nullopt));
    return formats::ToBytes(interchange::WritePianoRollSvg(timeline, fields.name, melody::Hardware::Phone));
}

Bytes Image(TextFormat format, std::size_t count) {
    testing::ImageLayout layout;
    for (std::size_t i = 1; i <= count; ++i) {
        layout.records.push_back(testing::MakeRecord(format, static_cast<std::uint32_t>(10 + i), "ID",
                                                     "M" + std::to_string(i), Hex("0A 01 8B 34 0A FE 07 0B"), 2));
    }
    layout.chunksAfter.push_back(testing::MakeChunk("PPMX", Bytes(24, 0x11)));
    return testing::BuildImage(layout).image;
}

ToneBank Loaded(const Bytes& image) {
    ToneBank bank;
    (void)bank::ApplyFirmwareImage(bank, *bank::ReadFirmwareImage(image, "image"), false);
    return bank;
}

// The image Save Firmware writes after `edit` of the loaded image.
Bytes Edited(const Bytes& image, const std::function<void(ToneBank&)>& edit) {
    ToneBank bank = Loaded(image);
    edit(bank);
    return bank::BuildFirmwareImage(bank);
}

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

// One command line, with `input` as standard input.
Outcome RunCli(const std::vector<std::string>& args, const std::string& input = "") {
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    const int status = Run(args, in, out, err);
    return {status, out.str(), err.str()};
}

const Bytes kAscii3 = Image(kAscii, 3);
const Bytes kUnicode3 = Image(kUnicode, 3);
const std::string kLongName(250, 'x');  // legal, and longer than any temporary name built from it
// An ASCII bank whose second melody begins with a control character: brought to the top, it would
// make the bank read back as Unicode.
// With damagedLast, the third has no terminator after its name.
Bytes FlipImage(bool damagedLast = false) {
    testing::ImageLayout layout;
    for (const char* name : {"M1",
                             "\x01"
                             "Bad",
                             "M3"}) {
        layout.records.push_back(testing::MakeRecord(kAscii, 1, "ID", name, Hex("0A 01 8B 0B")));
    }
    if (damagedLast) {
        layout.records.back()[19] = 'x';
    }
    return testing::BuildImage(layout).image;
}
const Bytes kFlip = FlipImage();

// A scratch folder of its own, holding the inputs the tests name.
class Cli : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "belltower-cli-XXXXXX").string();
        ASSERT_NE(nullptr, ::mkdtemp(pattern.data()));
        dir_ = pattern;
        for (const char* name : {"tune.rtx", "tune.ert"}) {
            Write(name, kTune);
        }
        Write("once.rtx", kForceOnce);
        Write("broken.rtx", "Broken:b=0:4c\r\n");
        Write("empty.rtx", kEmpty);
        Write("tune.re", ToText(Encoded(kTune)));
        Write("cut.re", ToText(Encoded(kTune)).substr(0, 30));
        Write("unicode.re", ToText(kUnicodeRe));
        Write("ascii3.fls", ToText(kAscii3));
        Write("unicode3.fls", ToText(kUnicode3));
        Write("old", "old");
        Write(kLongName, "old");
        Write("flip.fls", ToText(kFlip));
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    // A plain stream, not an atomic save: it must also write names too long for a temporary file.
    std::string Write(const std::string& name, const std::string& text) const {
        std::ofstream(Path(name), std::ios::binary) << text;
        return Path(name);
    }
    auto Read(const std::string& name) const { return formats::ReadFileBytes(Path(name)); }
    auto EntryCount(const std::string& folder = "") const {
        return std::distance(std::filesystem::directory_iterator(dir_ / folder), {});
    }
    // "@name" stands for a file of the scratch folder, "@/" in a message for the folder.
    Outcome RunIn(std::vector<std::string> args, const std::string& input = "") const {
        for (std::string& arg : args) {
            arg = arg.starts_with("@") ? Path(arg.substr(1)) : arg;
        }
        return RunCli(args, input);
    }
    std::string InFolder(std::string message) const {
        for (auto at = message.find("@/"); at != std::string::npos; at = message.find("@/", at)) {
            message.replace(at, 1, dir_.string());
        }
        return message;
    }

    std::filesystem::path dir_;
};

TEST_F(Cli, CommandsWriteWhatTheWindowWrites) {
    const Bytes unicode = *bank::RecordToUnicode(Encoded(kTune));
    Write("tune7110", ToText(unicode));  // a record is told by its length field, whatever its name
    // A melody whose repeats would play for hours: 05 FF, a note, then three repeat ends.
    const Bytes loop = testing::MakeRecord(kAscii, 1, "", "L", Hex("00 02 FC 09 05 FF 7F FF 06 06 06 07 0B"));
    Write("loop.re", ToText(loop));
    Write("many.fls", ToText(Image(kAscii, 66)));
    struct Case {
        std::vector<std::string> args;
        std::string output;
        Bytes expected;
        std::string warning{};
    };
    // clang-format off
    const Case cases[] = {
        {{"encode", "@tune.rtx", "-o", "@out"}, "out", Encoded(kTune)},
        {{"--force", "encode", "@tune.rtx", "--unicode", "--twice", "--no-small-pauses", "-o", "@out"}, "out",
         Encoded(kTune, kUnicode, true, true)},
        {{"encode", "@once.rtx", "-o", "@out", "--force"}, "out", Encoded(kForceOnce)},  // c=1: one play
        {{"encode", "@tune.ert"}, "tune.re", Encoded(kTune)},  // named after its input
        {{"encode", "@empty.rtx", "-o", "@out"}, "out", Encoded(kEmpty), std::string(melody::kNoDataText) + "\n"},
        {{"render", "@tune.rtx", "-o", "@out"}, "out", preview::WriteWav(Encoded(kTune), {true, false, melody::Hardware::Phone}).wav},
        {{"render", "@tune.re", "-o", "@out", "--no-vibration", "--half", "--hardware", "LogoManager"}, "out",
         preview::WriteWav(Encoded(kTune), {false, true, melody::Hardware::LogoManager}).wav},
        {{"render", "@tune7110", "-o", "@out", "--hardware", "none"}, "out", preview::WriteWav(unicode, {true, false, melody::Hardware::None}).wav},
        {{"render", "@loop.re", "-o", "@out", "--half"}, "out", preview::WriteWav(loop, {true, true, melody::Hardware::Phone}).wav,
         "The melody plays longer than 600 seconds (its repeats multiply); the preview stops there.\n"},
        {{"roll", "@tune.re", "-o", "@out", "--hardware", "none"}, "out", RollOf(Encoded(kTune), melody::Hardware::None)},
        {{"roll", "@tune.rtx", "-o", "@out"}, "out", RollOfText(kTune)},
        {{"convert", "@tune.re", "-o", "@out", "--to", "unicode"}, "out", unicode},
        {{"convert", "@tune7110", "-o", "@out", "--to", "ASCII"}, "out", Encoded(kTune)},
        {{"bank", "save", "@unicode3.fls", "-o", "@out"}, "out", kUnicode3},  // the builder's images save unchanged
        {{"bank", "insert", "@ascii3.fls", "2", "@tune.rtx", "-o", "@out"}, "out",
         Edited(kAscii3, [](ToneBank& b) { (void)bank::Insert(b, 1, Encoded(kTune)); })},
        {{"bank", "insert", "@ascii3.fls", "3", "@unicode.re", "-o", "@out"}, "out",
         Edited(kAscii3, [](ToneBank& b) { (void)bank::InsertFromRe(b, 2, kUnicodeRe); })},
        {{"bank", "replace", "@unicode3.fls", "1", "@tune.rtx", "-o", "@out"}, "out",
         Edited(kUnicode3, [](ToneBank& b) { (void)bank::Replace(b, 0, Encoded(kTune, kUnicode)); })},
        {{"bank", "delete", "@ascii3.fls", "1", "-o", "@out"}, "out", Edited(kAscii3, [](ToneBank& b) { bank::Delete(b, 0); })},
        {{"bank", "move", "@ascii3.fls", "3", "1", "-o", "@out"}, "out",
         Edited(kAscii3, [](ToneBank& b) { bank::MoveUp(b, *bank::MoveUp(b, 2)); })},
        {{"bank", "move", "@unicode3.fls", "1", "3", "-o", "@out"}, "out",
         Edited(kUnicode3, [](ToneBank& b) { bank::MoveDown(b, *bank::MoveDown(b, 0)); })},
        {{"bank", "reindex", "@unicode3.fls", "-o", "@out"}, "out", Edited(kUnicode3, [](ToneBank& b) { bank::Reindex(b); })},
        // A name typed in UTF-8 is stored in Latin-1.
        {{"bank", "set", "@ascii3.fls", "2", "--name", "F\xC3\xBC\xC3\x9F", "--id", "AB", "--index", "42", "-o", "@out"},
         "out", Edited(kAscii3, [](ToneBank& b) { (void)bank::ApplyRecordEdits(b, 1, {"F\xFC\xDF", "AB", "42", "n/a"}); })},
        {{"bank", "set", "@unicode3.fls", "1", "--purpose", "5", "-o", "@out"}, "out",
         Edited(kUnicode3, [](ToneBank& b) { (void)bank::ApplyRecordEdits(b, 0, {"M1", "ID  ", "11", "5"}); })},
        // --force answers the question about an index two melodies share.
        {{"bank", "set", "@ascii3.fls", "3", "--index", "11", "--force", "-o", "@out"}, "out",
         Edited(kAscii3, [](ToneBank& b) { (void)bank::ApplyRecordEdits(b, 2, {"M3", "ID  ", "11", "n/a"}); }),
         "M3 has the same index 11 as M1. Please correct it.\n"},
        // More than 65 melodies in an ASCII bank: a warning, no question.
        {{"bank", "save", "@many.fls", "-o", "@out"}, "out", *Read("many.fls"), std::string(bank::kTooManyMelodies) + "\n"},
        {{"bank", "export", "@ascii3.fls", "2", "--to", "unicode", "-o", "@out"}, "out",
         *bank::ExportRecord(Loaded(kAscii3).Records[1], kAscii, kUnicode)},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        const Outcome run = RunIn(c.args);
        EXPECT_EQ(0, run.status);
        EXPECT_EQ(c.warning, run.err);
        EXPECT_EQ("", run.out);
        ASSERT_TRUE(Read(c.output));
        EXPECT_BYTES_EQ(c.expected, *Read(c.output));
    }
}

TEST_F(Cli, FailuresLeaveEveryFileAsItWas) {
    Write("bad.re", ToText(kUnicodeRe).substr(0, 20));
    Write("tone.wav", std::string("RIFF\x24\0\0\0WAVEfmt ", 16));
    Write("image.png", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16));
    Write("noise", "\xC3\xA9\xE2\x82\xAC 12 34\n");
    Write("huge.rtx", "Huge:b=63:" + std::string(1024 * 1024, 'c'));
    Write("big.fls", std::string(1024 * 1024 + 1, '\xFF'));
    Write("ro", "old");
    std::filesystem::permissions(Path("ro"), std::filesystem::perms::owner_read);
    std::filesystem::create_symlink("nowhere", Path("dangling"));
    struct Case {
        std::vector<std::string> args;
        std::string message;  // empty: any
    };
    // clang-format off
    const Case cases[] = {
        {{"encode", "@broken.rtx", "-o", "@new.re"}, kNoTempo},
        {{"encode", "@tune.rtx", "-o", "@no/such/out.re"}, "@/no/such/out.re: No such file or directory\n"},
        {{"encode", "@tone.wav", "-o", "@old"}, "@/tone.wav: This is not ringtone text: it looks like a WAV file.\n"},
        {{"bank", "replace", "@ascii3.fls", "1", "@image.png", "-o", "@old"},
         "@/image.png: This is not ringtone text: it looks like a PNG image.\n"},
        {{"render", "@noise", "-o", "@old"},
         "@/noise: This is not ringtone text: it looks like no melody (no name, settings or notes).\n"},
        {{"encode", "@huge.rtx", "-o", "@old"},
         "@/huge.rtx: the file is larger than 1 MB, more than any ringtone text or RE file holds.\n"},
        {{"--max-image-size", "1", "bank", "save", "@big.fls", "-o", "@old"},
         "@/big.fls: the file is larger than 1 MB, the most a firmware image may have here (--max-image-size raises "
         "it).\n"},
        {{"encode", "@tune.rtx", "-o", "@ro"}, "@/ro: the file is read-only; give --force to replace it.\n"},
        {{"encode", "@tune.rtx", "-o", "@dangling"},
         "@/dangling: it is a symbolic link to nowhere, which does not exist; not written.\n"},
        {{"bank", "delete", "@flip.fls", "1", "-o", "@old"}, ""},
        {{"bank", "move", "@flip.fls", "3", "1", "-o", "@old"}, ""},
        {{"encode", "@tune.re"}, ""},  // an RE file given as input is not replaced by its own record
        {{"to-rtx", "@missing.rtx", "-o", "@old"}, "@/missing.rtx: No such file or directory\n"},
        {{"render", "@cut.re", "-o", "@old"}, "Not a valid raw melody file!\n"},  // not read as text
        {{"render", "@broken.rtx", "-o", "@old"}, kNoTempo},
        {{"roll", "@broken.rtx", "-o", "@old"}, kNoTempo},
        {{"convert", "@cut.re", "-o", "@old", "--to", "unicode"}, "Not a valid raw melody file!\n"},
        {{"bank", "save", "@tune.rtx", "-o", "@old"}, "@/tune.rtx doesn't contain PPM section or is not in Dejan/RAW format!\n"},
        {{"bank", "insert", "@ascii3.fls", "1", "@bad.re", "-o", "@old"}, "Not a valid raw melody file!\n"},
        {{"bank", "delete", "@ascii3.fls", "4", "-o", "@old"},
         "Position 4 is out of range: the bank holds 3 melodies (positions 1 to 3).\n"},
        {{"bank", "set", "@ascii3.fls", "1", "--purpose", "2", "-o", "@old"},
         "The melodies of an ASCII bank have no purpose: --purpose is for Unicode banks only.\n"},
        {{"bank", "set", "@ascii3.fls", "1", "--index", "2147483648", "-o", "@old"},
         "The index must be a whole number from 0 to 2147483647.\n"},
        {{"bank", "set", "@ascii3.fls", "2", "--index", "11", "-o", "@old"},
         "M2 has the same index 11 as M1. Please correct it.\nNot done: give --force to answer OK.\n"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        const auto entries = EntryCount();
        const Outcome run = RunIn(c.args);
        EXPECT_EQ(1, run.status);
        if (!c.message.empty()) {
            EXPECT_EQ(InFolder(c.message), run.err);
        }
        EXPECT_EQ(entries, EntryCount());  // no new file, no temporary file left behind
        EXPECT_BYTES_EQ(ToBytes("old"), *Read("old"));
        EXPECT_BYTES_EQ(ToBytes("old"), *Read("ro"));
        EXPECT_BYTES_EQ(Encoded(kTune), *Read("tune.re"));
    }
}

// A save keeps what stands at the output: a link stays a link to the edited file, a read-only
// file replaced with --force stays read-only, and a name too long for a temporary name built
// from it is written all the same.
TEST_F(Cli, SavesKeepWhatTheTargetIs) {
    namespace fs = std::filesystem;
    const std::string longImage(255, 'y');
    Write(longImage, ToText(kAscii3));
    Write("ro", "old");
    fs::permissions(Path("ro"), fs::perms::owner_read);
    fs::create_symlink("ascii3.fls", Path("link.fls"));
    const Bytes deleted = Edited(kAscii3, [](ToneBank& b) { bank::Delete(b, 0); });
    const struct {
        std::vector<std::string> args;
        std::string output;
        Bytes expected;
    } cases[] = {
        {{"encode", "@tune.rtx", "-o", "@" + kLongName}, kLongName, Encoded(kTune)},
        {{"bank", "delete", "@" + longImage, "1", "-o", "@" + longImage}, longImage, deleted},
        {{"encode", "@tune.rtx", "-o", "@ro", "--force"}, "ro", Encoded(kTune)},
        {{"bank", "delete", "@link.fls", "1", "-o", "@link.fls"}, "ascii3.fls", deleted},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        const auto entries = EntryCount();
        EXPECT_EQ(0, RunIn(c.args).status);
        EXPECT_BYTES_EQ(c.expected, *Read(c.output));
        EXPECT_EQ(entries, EntryCount());
    }
    EXPECT_TRUE(fs::is_symlink(Path("link.fls")));
    EXPECT_EQ(fs::perms::owner_read, fs::status(Path("ro")).permissions());
}

TEST_F(Cli, StandardInputAndOutput) {
    EXPECT_BYTES_EQ(Encoded(kTune, kUnicode), ToBytes(RunCli({"encode", "-", "-o", "-", "--unicode"}, kTune).out));
    EXPECT_BYTES_EQ(Encoded(kTune), ToBytes(RunCli({"encode", "-"}, kTune).out));  // no -o: standard output
    EXPECT_BYTES_EQ(kUnicode3, ToBytes(RunCli({"bank", "save", "-", "-o", "-"}, ToText(kUnicode3)).out));
    const Outcome twice = RunIn({"bank", "insert", "-", "1", "-", "-o", "@out"}, ToText(kAscii3));
    EXPECT_EQ(1, twice.status);
    EXPECT_EQ("standard input: it can be read only once.\n", twice.err);
    std::istringstream in(kTune);
    std::ostringstream out;
    std::ostringstream err;
    out.setstate(std::ios::badbit);
    EXPECT_EQ(1, cli::Run({"encode", "-", "-o", "-"}, in, out, err));
    EXPECT_EQ("standard output: it could not be written.\n", err.str());
    for (const char* flag : {"--help", "--version"}) {
        EXPECT_EQ(1, cli::Run({flag}, in, out, err)) << flag;
    }
    // Standard input is read no further than its limit.
    const Outcome huge = RunCli({"encode", "-", "-o", "-"}, std::string(1024 * 1024 + 1, 'c'));
    EXPECT_EQ(1, huge.status);
    EXPECT_EQ("standard input: it is larger than 1 MB, more than any ringtone text or RE file holds.\n", huge.err);
}

TEST_F(Cli, SeveralInputsIntoAFolderGoOnPastFailures) {
    std::filesystem::create_directory(dir_ / "records");
    const Outcome run = RunIn({"encode", "@tune.rtx", "@broken.rtx", "@missing.rtx", "@once.rtx", "@tune.ert", "-d",
                               "@records", "--unicode"});
    EXPECT_EQ(1, run.status);
    EXPECT_BYTES_EQ(Encoded(kTune, kUnicode), *Read("records/tune.re"));
    EXPECT_BYTES_EQ(Encoded(kForceOnce, kUnicode), *Read("records/once.re"));
    EXPECT_EQ(2, EntryCount("records"));
    // One line per failing input, each naming it; tune.ert must not replace tune.re of tune.rtx.
    EXPECT_NE(std::string::npos, run.err.find(InFolder("@/broken.rtx: " + kNoTempo))) << run.err;
    EXPECT_NE(std::string::npos, run.err.find(InFolder("@/missing.rtx: No such file or directory\n")));
    EXPECT_NE(std::string::npos, run.err.find(InFolder("@/tune.ert: ")));
    EXPECT_EQ(3, std::count(run.err.begin(), run.err.end(), '\n')) << run.err;
}

TEST_F(Cli, ToRtxRoundTrip) {
    const std::string in = Write("beep.txt", "Beep:D=4,O=5,B=125, x=1:8c,8d:e\nnext line\n");
    ASSERT_EQ(0, RunCli({"to-rtx", in, "-o", Path("beep.rtx")}).status);
    const std::string line = "Beep:d=4,o=5,b=125,f=,i=1,c=0,s=0,@=1:8c,8d:e\r\n";
    EXPECT_BYTES_EQ(ToBytes(line), *Read("beep.rtx"));
    // Read back: the same line, and the same record as the original file.
    EXPECT_EQ(line, RunCli({"to-rtx", "-", "-o", "-"}, line).out);
    EXPECT_EQ(RunCli({"encode", in, "-o", "-"}).out, RunCli({"encode", Path("beep.rtx"), "-o", "-"}).out);
}

TEST_F(Cli, BankListAsATableOrJson) {
    const Outcome table = RunCli({"bank", "list", Write("two.fls", ToText(Image(kAscii, 2)))});
    EXPECT_EQ(0, table.status);
    EXPECT_EQ("PPM NHM-5 V 5.31 synthetic test image       [ASCII]\n"
              "2 melodies\n"
              "Pos  Index  ID    Name  Play mode                     Length\n"
              "  1     11  ID    M1    Ringing and preview infinite      28\n"
              "  2     12  ID    M2    Ringing and preview infinite      28\n",
              table.out);
    testing::ImageLayout layout;
    layout.records = {testing::MakeRecord(kUnicode, 3, "AB", "Gr\xFC\xDF \"1\"", Hex("0A FE 07 0B"), 2),
                      testing::MakeRecord(kUnicode, 4, "", std::string("Tab\tA", 5), Hex("0A 0A 07 0B"), 0)};
    // What an edit would refuse is said in a listing.
    const Outcome flip = RunCli({"bank", "list", "-"}, ToText(FlipImage(true)));
    EXPECT_EQ(0, flip.status);
    EXPECT_NE(std::string::npos, flip.err.find("Melody 2: The melody \"")) << flip.err;
    EXPECT_NE(std::string::npos, flip.err.find("\" cannot come first in the list")) << flip.err;
    EXPECT_NE(std::string::npos, flip.err.find("Melody 3: " + std::string(bank::kNoNameTerminator))) << flip.err;
    const Outcome json = RunCli({"bank", "list", "-", "--json"}, ToText(testing::BuildImage(layout).image));
    EXPECT_EQ(0, json.status);
    EXPECT_EQ("{\n"
              "  \"header\": \"PPM NHM-5 V 5.31 synthetic test image       \",\n"
              "  \"format\": \"unicode\",\n"
              "  \"count\": 2,\n"
              "  \"melodies\": [\n"
              "    {\"position\": 1, \"index\": 3, \"id\": \"AB  \", \"name\": \"Gr\xC3\xBC\xC3\x9F \\\"1\\\"\", "
              "\"purpose\": 2, \"playMode\": 0, \"playModeText\": \"Ringing and preview infinite\", \"length\": 40},\n"
              "    {\"position\": 2, \"index\": 4, \"id\": \"    \", \"name\": \"Tab\\u0009A\", \"purpose\": 0, "
              "\"playMode\": 2, \"playModeText\": \"Preview twice\", \"length\": 36}\n"
              "  ]\n"
              "}\n",
              json.out);
}

TEST(CliUsage, HelpAndVersion) {
    for (const std::string command :
         {"encode", "to-rtx", "render", "roll", "convert", "bank list", "bank export", "bank save", "bank insert",
          "bank replace", "bank delete", "bank move", "bank reindex", "bank set"}) {
        SCOPED_TRACE(command);
        std::vector<std::string> args;
        std::istringstream words(command + " --help");
        for (std::string word; words >> word;) {
            args.push_back(word);
        }
        const Outcome run = RunCli(args);
        EXPECT_EQ(0, run.status);
        EXPECT_EQ("", run.err);
        EXPECT_NE(std::string::npos, run.out.find("Examples:\n  belltower-cli " + command)) << run.out;
    }
    EXPECT_NE(std::string::npos, RunCli({"--help"}).out.find("Usage: belltower-cli"));
    EXPECT_EQ(RunCli({"to-rtx", "--help"}).out, RunCli({"to-rtx", "-h"}).out);
    EXPECT_EQ("belltower-cli " BELLTOWER_VERSION "\n", RunCli({"--version"}).out);
}

TEST(CliUsage, WrongCommandLinesAreUsageErrors) {
    const std::vector<std::string> lines[] = {
        {},
        {"encode", "a.rtx", "b.rtx"},                  // several inputs need -d
        {"encode", "a.rtx", "-o", "x.re", "-d", "."},  // -o and -d exclude each other
        {"encode", "-", "a.rtx", "-d", "."},           // standard input has no name
        {"encode", "a.rtx", "--bogus"},
        {"to-rtx", "a.rtx"},  // -o is required
        {"render", "a.rtx", "-o", "a.wav", "--hardware", "siemens"},
        {"convert", "a.re", "-o", "b.re"},             // --to is required
        {"bank", "set", "a.fls", "1", "-o", "b.fls"},  // nothing to set
        {"bank", "export", "a.fls", "1", "-o", "b.re", "--to", "latin1"},
        {"bank", "delete", "a.fls", "-1", "-o", "b.fls"},
        {"bank", "move", "a.fls", "1.5", "2", "-o", "b.fls"},
        {"frob", "x"},
        {"bank", "frob", "x"},
    };
    for (const auto& args : lines) {
        SCOPED_TRACE(::testing::PrintToString(args));
        const Outcome run = RunCli(args);
        EXPECT_EQ(2, run.status);
        EXPECT_EQ("", run.out);
        EXPECT_TRUE(run.err.ends_with("\nRun with --help for more information.\n")) << run.err;
    }
    EXPECT_EQ("Unknown command: frob\nRun with --help for more information.\n", RunCli({"bank", "frob", "x"}).err);
}

}  // namespace
}  // namespace belltower::cli
