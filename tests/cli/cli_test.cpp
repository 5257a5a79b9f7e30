#include "cli/console.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "formats/file_io.h"
#include "formats/record.h"
#include "melody/rtx_text.h"
#include "melody/tone_encoder.h"
#include "support/hex.h"
#include "cli_fixture.h"

namespace belltower::cli {
namespace {

namespace fs = std::filesystem;
using formats::Bytes;
using formats::TextFormat;

// Ringtones written for these tests. Tune carries settings, a repeated note (small pause),
// a sharp, a tempo tag, a dotted note, a vibration tag and a pause.
constexpr const char* kTune = "Tune:d=4,o=5,b=125,f=TUNE,i=7,s=0,@=3:8c 8c 4d# t200 2e. v0 p\r\nsecond line\r\n";
constexpr const char* kForceOnce = "Once:b=90,c=1:4g 4a\r\n";
constexpr const char* kNoTempo = "Broken:b=0:4c\r\n";
constexpr const char* kNoNotes = "Empty:b=140:\r\n";

// What the window saves with Save as RE after opening the ringtone in a fresh window.
Bytes ExpectedRecord(const std::string& ringtone, TextFormat form, bool twice = false, bool noSmallPauses = false) {
    melody::MelodyFields fields;
    melody::ReadRtxText(ringtone, fields);
    fields.playTwice = twice;
    fields.noSmallPauses = noSmallPauses;
    auto encoded = melody::EncodeMelody(fields, form, std::nullopt);
    EXPECT_TRUE(encoded.record.has_value());
    return encoded.record.has_value() ? *encoded.record : Bytes{};
}

TEST_F(Cli, EncodeSavesWhatTheWindowSaves) {
    struct Case {
        const char* ringtone;
        std::vector<std::string> flags;
        TextFormat form;
        bool twice;
        bool noSmallPauses;
    };
    const Case cases[] = {
        {kTune, {}, TextFormat::Ascii, false, false},
        {kTune, {"--unicode"}, TextFormat::Unicode, false, false},
        {kTune, {"--twice"}, TextFormat::Ascii, true, false},
        {kTune, {"--no-small-pauses"}, TextFormat::Ascii, false, true},
        {kTune, {"--unicode", "--twice", "--no-small-pauses"}, TextFormat::Unicode, true, true},
        {kForceOnce, {}, TextFormat::Ascii, false, false},  // c=1 in the file: force one play
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.flags) + " " + c.ringtone);
        const std::string in = Write("in.rtx", c.ringtone);
        std::vector<std::string> args{"encode", in, "-o", Path("out.re")};
        args.insert(args.end(), c.flags.begin(), c.flags.end());
        const Outcome run = RunCli(args);
        EXPECT_EQ(0, run.status);
        EXPECT_EQ("", run.err);
        EXPECT_EQ("", run.out);
        const Bytes expected = ExpectedRecord(c.ringtone, c.form, c.twice, c.noSmallPauses);
        ASSERT_TRUE(Read("out.re"));
        EXPECT_BYTES_EQ(expected, *Read("out.re"));
    }
}

TEST_F(Cli, EncodeFlagsReachTheRecord) {
    // Guards against the expected bytes above coming out equal whatever the flags: the tone
    // data ends 0A 0A with --twice, 0A FE without; c=1 adds 0A 0E before the end 07 0B.
    const Bytes plain = ExpectedRecord(kTune, TextFormat::Ascii);
    EXPECT_NE(plain, ExpectedRecord(kTune, TextFormat::Ascii, true));
    EXPECT_NE(plain, ExpectedRecord(kTune, TextFormat::Ascii, false, true));
    const Bytes once = ExpectedRecord(kForceOnce, TextFormat::Ascii);
    const auto end = formats::StripFill(once);
    ASSERT_GE(end.size(), 4u);
    EXPECT_BYTES_EQ(testing::Hex("0A 0E 07 0B"), Bytes(end.end() - 4, end.end()));
}

TEST_F(Cli, EncodeNamesTheRecordAfterItsInputByDefault) {
    Write("tune.ert", kTune);
    const Outcome run = RunCli({"encode", Path("tune.ert")});
    EXPECT_EQ(0, run.status) << run.err;
    ASSERT_TRUE(Read("tune.re"));
    EXPECT_BYTES_EQ(ExpectedRecord(kTune, TextFormat::Ascii), *Read("tune.re"));
}

TEST_F(Cli, EncodeReadsStandardInputAndWritesStandardOutput) {
    const Outcome run = RunCli({"encode", "-", "-o", "-", "--unicode"}, kTune);
    EXPECT_EQ(0, run.status) << run.err;
    EXPECT_BYTES_EQ(ExpectedRecord(kTune, TextFormat::Unicode), AsBytes(run.out));
    // Without -o, standard input goes to standard output.
    EXPECT_BYTES_EQ(ExpectedRecord(kTune, TextFormat::Ascii), AsBytes(RunCli({"encode", "-"}, kTune).out));
}

TEST_F(Cli, EncodeSeveralInputsIntoAFolder) {
    fs::create_directory(dir_ / "records");
    const std::string a = Write("a.rtx", kTune);
    const std::string b = Write("b.song.ert", kForceOnce);
    const Outcome run = RunCli({"encode", a, b, "-d", Path("records"), "--unicode"});
    EXPECT_EQ(0, run.status) << run.err;
    ASSERT_TRUE(Read("records/a.re"));
    ASSERT_TRUE(Read("records/b.song.re"));
    EXPECT_BYTES_EQ(ExpectedRecord(kTune, TextFormat::Unicode), *Read("records/a.re"));
    EXPECT_BYTES_EQ(ExpectedRecord(kForceOnce, TextFormat::Unicode), *Read("records/b.song.re"));
}

TEST_F(Cli, EncodeGoesOnPastAFailingInputAndNamesIt) {
    fs::create_directory(dir_ / "records");
    const std::string good1 = Write("good1.rtx", kTune);
    const std::string broken = Write("broken.rtx", kNoTempo);
    const std::string missing = Path("missing.rtx");
    const std::string good2 = Write("good2.rtx", kForceOnce);
    const Outcome run = RunCli({"encode", good1, broken, missing, good2, "-d", Path("records")});
    EXPECT_EQ(1, run.status);
    EXPECT_TRUE(Read("records/good1.re"));
    EXPECT_TRUE(Read("records/good2.re"));
    EXPECT_FALSE(Read("records/broken.re"));
    EXPECT_FALSE(Read("records/missing.re"));
    // One line per failing input, each naming it.
    EXPECT_NE(std::string::npos, run.err.find(broken + ": The "));
    EXPECT_NE(std::string::npos, run.err.find(missing + ": No such file or directory"));
    EXPECT_EQ(2, std::count(run.err.begin(), run.err.end(), '\n')) << run.err;
}

TEST_F(Cli, EncodeRefusesAnInputWhoseRecordAnotherInputAlreadyWrote) {
    // a.rtx and a.ert both give a.re: the second must not silently replace the first.
    fs::create_directory(dir_ / "records");
    const Outcome run = RunCli({"encode", Write("a.rtx", kTune), Write("a.ert", kForceOnce), "-d", Path("records")});
    EXPECT_EQ(1, run.status);
    EXPECT_NE(std::string::npos, run.err.find(Path("a.ert") + ": "));
    ASSERT_TRUE(Read("records/a.re"));
    EXPECT_BYTES_EQ(ExpectedRecord(kTune, TextFormat::Ascii), *Read("records/a.re"));
}

TEST_F(Cli, EncodeDoesNotReplaceAnReFileGivenAsItsInput) {
    const std::string record("\x00\x00\x00\x01\x00\x00\x00\x24 not ringtone text", 27);
    Write("tone.re", record);
    const Outcome run = RunCli({"encode", Path("tone.re")});
    EXPECT_EQ(1, run.status);
    EXPECT_BYTES_EQ(AsBytes(record), *Read("tone.re"));
}

TEST_F(Cli, EncodeReportsAnUnreadableInput) {
    const Outcome run = RunCli({"encode", Path("missing.rtx"), "-o", Path("out.re")});
    EXPECT_EQ(1, run.status);
    EXPECT_EQ(Path("missing.rtx") + ": No such file or directory\n", run.err);
    EXPECT_FALSE(Read("out.re"));
}

TEST_F(Cli, EncodeLeavesAnExistingFileAloneWhenItCannotWrite) {
    const std::string in = Write("in.rtx", kTune);
    // A missing folder: no file appears.
    Outcome run = RunCli({"encode", in, "-o", Path("no/such/folder/out.re")});
    EXPECT_EQ(1, run.status);
    EXPECT_EQ(Path("no/such/folder/out.re") + ": No such file or directory\n", run.err);
    // An existing file whose name is so long that no temporary file can stand beside it:
    // the save fails (even for root) and the old file is kept byte for byte.
    const std::string longName(250, 'x');
    const std::string old = "old contents";
    std::ofstream(Path(longName), std::ios::binary) << old;
    run = RunCli({"encode", in, "-o", Path(longName)});
    EXPECT_EQ(1, run.status);
    EXPECT_NE(std::string::npos, run.err.find("File name too long")) << run.err;
    EXPECT_BYTES_EQ(AsBytes(old), *Read(longName));
    EXPECT_EQ(2u, EntryCount());  // no temporary file left behind
}

TEST_F(Cli, EncodeRefusesWithTheEncodersMessage) {
    const std::string in = Write("broken.rtx", kNoTempo);
    const std::string old = "old record";
    Write("out.re", old);
    melody::MelodyFields fields;
    melody::ReadRtxText(kNoTempo, fields);
    const auto encoded = melody::EncodeMelody(fields, TextFormat::Ascii, std::nullopt);
    ASSERT_FALSE(encoded.record.has_value());

    const Outcome run = RunCli({"encode", in, "-o", Path("out.re")});
    EXPECT_EQ(1, run.status);
    EXPECT_EQ(encoded.record.error().message + "\n", run.err);
    EXPECT_BYTES_EQ(AsBytes(old), *Read("out.re"));
    EXPECT_FALSE(RunCli({"encode", in, "-o", Path("new.re")}).status == 0);
    EXPECT_FALSE(Read("new.re"));
}

TEST_F(Cli, EncodeWarnsAboutAnEmptyMelodyAndSavesIt) {
    const Outcome run = RunCli({"encode", Write("empty.rtx", kNoNotes), "-o", Path("empty.re")});
    EXPECT_EQ(0, run.status);
    EXPECT_EQ(std::string(melody::kNoDataText) + "\n", run.err);
    ASSERT_TRUE(Read("empty.re"));
    EXPECT_BYTES_EQ(ExpectedRecord(kNoNotes, TextFormat::Ascii), *Read("empty.re"));
}

TEST_F(Cli, EncodeReportsAFailedStandardOutput) {
    std::istringstream in(kTune);
    std::ostringstream out;
    std::ostringstream err;
    out.setstate(std::ios::badbit);
    EXPECT_EQ(1, cli::Run({"encode", "-", "-o", "-"}, in, out, err));
    EXPECT_EQ("standard output: it could not be written.\n", err.str());
}

TEST_F(Cli, ToRtxWritesTheFullSettingsLine) {
    const std::string in = Write("beep.txt", "Beep:D=4,O=5,B=125, x=1:8c,8d:e\nnext line\n");
    const Outcome run = RunCli({"to-rtx", in, "-o", Path("beep.rtx")});
    EXPECT_EQ(0, run.status) << run.err;
    const std::string line = "Beep:d=4,o=5,b=125,f=,i=1,c=0,s=0,@=1:8c,8d:e\r\n";
    EXPECT_BYTES_EQ(AsBytes(line), *Read("beep.rtx"));

    // Reading the line back gives the same line, and the same record as the original file.
    EXPECT_EQ(line, RunCli({"to-rtx", "-", "-o", "-"}, line).out);
    EXPECT_EQ(RunCli({"encode", in, "-o", "-"}).out, RunCli({"encode", Path("beep.rtx"), "-o", "-"}).out);
}

TEST_F(Cli, ToRtxReportsAnUnreadableInputAndKeepsTheOutput) {
    Write("keep.rtx", "old");
    const Outcome run = RunCli({"to-rtx", Path("missing.rtx"), "-o", Path("keep.rtx")});
    EXPECT_EQ(1, run.status);
    EXPECT_EQ(Path("missing.rtx") + ": No such file or directory\n", run.err);
    EXPECT_BYTES_EQ(AsBytes("old"), *Read("keep.rtx"));
}

TEST(CliUsage, HelpAndVersionSucceed) {
    const std::vector<std::string> helps[] = {{"--help"}, {"encode", "--help"}, {"to-rtx", "-h"}};
    for (const auto& args : helps) {
        const Outcome run = RunCli(args);
        EXPECT_EQ(0, run.status);
        EXPECT_NE(std::string::npos, run.out.find("Usage: belltower-cli"));
        EXPECT_EQ("", run.err);
    }
    EXPECT_NE(std::string::npos, RunCli({"encode", "--help"}).out.find("Examples:\n  belltower-cli encode"));
    const Outcome version = RunCli({"--version"});
    EXPECT_EQ(0, version.status);
    EXPECT_EQ("belltower-cli " BELLTOWER_VERSION "\n", version.out);
}

TEST(CliUsage, WrongCommandLinesAreUsageErrors) {
    const std::vector<std::string> lines[] = {
        {},
        {"frobnicate"},
        {"encode"},
        {"encode", "a.rtx", "b.rtx"},               // several inputs need -d
        {"encode", "a.rtx", "-o", "x.re", "-d", "."},  // -o and -d exclude each other
        {"encode", "-", "a.rtx", "-d", "."},         // standard input has no name
        {"encode", "a.rtx", "--bogus"},
        {"to-rtx", "a.rtx"},  // -o is required
        {"to-rtx", "a.rtx", "b.rtx", "-o", "c.rtx"},
    };
    for (const auto& args : lines) {
        SCOPED_TRACE(::testing::PrintToString(args));
        const Outcome run = RunCli(args);
        EXPECT_EQ(2, run.status);
        EXPECT_EQ("", run.out);
        EXPECT_NE(std::string::npos, run.err.find("Run with --help for more information."));
    }
    EXPECT_EQ("Unknown command: frobnicate\nRun with --help for more information.\n",
              RunCli({"frobnicate", "x"}).err);
}

TEST_F(Cli, ForceMayStandBeforeOrAfterTheCommand) {
    const std::string in = Write("in.rtx", kTune);
    EXPECT_EQ(0, RunCli({"--force", "encode", in, "-o", Path("a.re")}).status);
    EXPECT_EQ(0, RunCli({"encode", in, "--force", "-o", Path("b.re")}).status);
}

TEST(CliConsole, QuestionsAreAnsweredOkOnlyWithForce) {
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    Console console(in, out, err);
    EXPECT_FALSE(console.Ask("Save anyway?", GlobalOptions{}));
    EXPECT_EQ("Save anyway?\nNot done: give --force to answer OK.\n", err.str());
    err.str("");
    EXPECT_TRUE(console.Ask("Save anyway?", GlobalOptions{.force = true}));
    EXPECT_EQ("Save anyway?\n", err.str());
    EXPECT_EQ("", out.str());
}

}  // namespace
}  // namespace belltower::cli
