// The bank commands against the core routines the window's bank buttons run: every edited
// image must be the one Save Firmware writes after the same list operation.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "bank/firmware_reader.h"
#include "bank/firmware_writer.h"
#include "bank/list_operations.h"
#include "bank/re_exchange.h"
#include "bank/record_properties.h"
#include "cli_fixture.h"
#include "melody/rtx_text.h"
#include "melody/tone_encoder.h"
#include "support/hex.h"
#include "support/image_builder.h"

namespace belltower::cli {
namespace {

using bank::ToneBank;
using formats::Bytes;
using formats::TextFormat;
using testing::Hex;

constexpr TextFormat kAscii = TextFormat::Ascii;
constexpr TextFormat kUnicode = TextFormat::Unicode;
const Bytes kTone = Hex("00 02 FC 09 0A 01 8B 34 0A FE 07 0B");
constexpr const char* kTune = "Tune:d=4,o=5,b=125,f=TUNE:8c 8c 4d# 2e.\r\n";

// Melodies M1, M2, ... with indexes 11, 12, ..., IDs "ID" and purpose 2, then `tail` behind
// the chunk chain.
Bytes Image(TextFormat format, std::size_t count, const Bytes& tail = {}) {
    testing::ImageLayout layout;
    for (std::size_t i = 1; i <= count; ++i) {
        layout.records.push_back(
            testing::MakeRecord(format, static_cast<std::uint32_t>(10 + i), "ID", "M" + std::to_string(i), kTone, 2));
    }
    layout.chunksAfter.push_back(testing::MakeChunk("PPMX", Bytes(24, 0x11)));
    layout.tail = tail;
    return testing::BuildImage(layout).image;
}

ToneBank Loaded(const Bytes& image) {
    ToneBank bank;
    (void)bank::ApplyFirmwareImage(bank, *bank::ReadFirmwareImage(image, "image"), false);
    return bank;
}

Bytes Encoded(const std::string& ringtone, TextFormat format) {
    melody::MelodyFields fields;
    melody::ReadRtxText(ringtone, fields);
    return *melody::EncodeMelody(fields, format, std::nullopt).record;
}

const Bytes kAsciiRe = testing::MakeRecord(kAscii, 99, "RE", "From file", Hex("00 02 FC 09 7F 10 0A FE 07 0B"));
const Bytes kUnicodeRe = *bank::RecordToUnicode(kAsciiRe);

class BankCli : public Cli {
protected:
    void SetUp() override {
        Cli::SetUp();
        Write("tune.rtx", kTune);
        Write("ascii.re", kAsciiRe);
        Write("unicode.re", kUnicodeRe);
    }
    // "bank COMMAND IMAGE ARGS... -o out.fls"
    Outcome RunBank(const std::string& command, const Bytes& image, std::vector<std::string> args,
                    const std::string& input = "") {
        std::vector<std::string> line{"bank", command, Write("in.fls", image)};
        for (std::string& arg : args) {
            line.push_back(arg.starts_with("@") ? Path(arg.substr(1)) : arg);
        }
        line.insert(line.end(), {"-o", Path("out.fls")});
        return RunCli(line, input);
    }
};

TEST_F(BankCli, EditsSaveWhatTheWindowSaves) {
    struct Case {
        std::string command;
        std::vector<std::string> args;  // "@name": a file of the scratch folder
        TextFormat format;
        std::function<void(ToneBank&)> edit;
        std::size_t count = 3;  // melodies in the image
    };
    // clang-format off
    const Case cases[] = {
        {"save", {}, kAscii, [](ToneBank&) {}},
        {"save", {}, kUnicode, [](ToneBank&) {}},
        {"insert", {"2", "@tune.rtx"}, kAscii, [](ToneBank& b) { (void)bank::Insert(b, 1, Encoded(kTune, kAscii)); }},
        {"insert", {"1", "@tune.rtx"}, kUnicode, [](ToneBank& b) { (void)bank::Insert(b, 0, Encoded(kTune, kUnicode)); }},
        {"insert", {"3", "@ascii.re"}, kUnicode, [](ToneBank& b) { (void)bank::InsertFromRe(b, 2, kAsciiRe); }},
        {"insert", {"1", "@unicode.re"}, kAscii, [](ToneBank& b) { (void)bank::InsertFromRe(b, 0, kUnicodeRe); }, 0},
        {"replace", {"3", "@unicode.re"}, kAscii, [](ToneBank& b) { (void)bank::ReplaceFromRe(b, 2, kUnicodeRe); }},
        {"replace", {"1", "@tune.rtx"}, kUnicode, [](ToneBank& b) { (void)bank::Replace(b, 0, Encoded(kTune, kUnicode)); }},
        {"delete", {"1"}, kAscii, [](ToneBank& b) { bank::Delete(b, 0); }},
        {"move", {"3", "1"}, kAscii, [](ToneBank& b) { bank::MoveUp(b, *bank::MoveUp(b, 2)); }},
        {"move", {"1", "3"}, kUnicode, [](ToneBank& b) { bank::MoveDown(b, *bank::MoveDown(b, 0)); }},
        {"move", {"2", "2"}, kAscii, [](ToneBank&) {}},
        {"reindex", {}, kUnicode, [](ToneBank& b) { bank::Reindex(b); }},
        {"set", {"2", "--name", "F\xC3\xBC\xC3\x9F", "--id", "AB", "--index", "42"}, kAscii,
         [](ToneBank& b) { (void)bank::ApplyRecordEdits(b, 1, {"F\xFC\xDF", "AB", "42", "n/a"}); }},
        {"set", {"1", "--purpose", "5"}, kUnicode,
         [](ToneBank& b) { (void)bank::ApplyRecordEdits(b, 0, {"M1", "ID  ", "11", "5"}); }},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command + " " + ::testing::PrintToString(c.args));
        const Bytes image = Image(c.format, c.count);
        ToneBank expected = Loaded(image);
        c.edit(expected);
        const Outcome run = RunBank(c.command, image, c.args);
        EXPECT_EQ(0, run.status);
        EXPECT_EQ("", run.err);
        ASSERT_TRUE(Read("out.fls"));
        EXPECT_BYTES_EQ(bank::BuildFirmwareImage(expected), *Read("out.fls"));
        if (c.command == "save") {
            EXPECT_BYTES_EQ(image, *Read("out.fls"));  // the builder's images save unchanged
        }
    }
}

TEST_F(BankCli, ExportWritesTheRecordInTheChosenFormat) {
    struct Case {
        TextFormat bankFormat;
        std::vector<std::string> flags;
        TextFormat fileFormat;
    };
    const Case cases[] = {{kAscii, {}, kAscii},
                          {kAscii, {"--to", "unicode"}, kUnicode},
                          {kUnicode, {}, kUnicode},
                          {kUnicode, {"--to", "ascii"}, kAscii}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.flags));
        const Bytes image = Image(c.bankFormat, 3);
        std::vector<std::string> args{"bank", "export", "-", "2", "-o", "-"};
        args.insert(args.end(), c.flags.begin(), c.flags.end());
        const Outcome run = RunCli(args, AsText(image));
        EXPECT_EQ(0, run.status) << run.err;
        const Bytes record = Loaded(image).Records[1];
        EXPECT_BYTES_EQ(*bank::ExportRecord(record, c.bankFormat, c.fileFormat), AsBytes(run.out));
    }
}

TEST_F(BankCli, ListShowsTheMelodiesAsATable) {
    const Outcome run = RunCli({"bank", "list", Write("in.fls", Image(kAscii, 2))});
    EXPECT_EQ(0, run.status);
    EXPECT_EQ("PPM NHM-5 V 5.31 synthetic test image       [ASCII]\n"
              "2 melodies\n"
              "Pos  Index  ID    Name  Play mode                     Length\n"
              "  1     11  ID    M1    Ringing and preview infinite      32\n"
              "  2     12  ID    M2    Ringing and preview infinite      32\n",
              run.out);
}

TEST_F(BankCli, ListWritesAStableJsonDocument) {
    testing::ImageLayout layout;
    layout.records = {testing::MakeRecord(kUnicode, 3, "AB", "Gr\xFC\xDF \"1\"", kTone, 2),
                      testing::MakeRecord(kUnicode, 4, "", std::string("Tab\tA", 5), Hex("0A 0A 07 0B"), 0)};
    const Outcome run = RunCli({"bank", "list", "-", "--json"}, AsText(testing::BuildImage(layout).image));
    EXPECT_EQ(0, run.status);
    EXPECT_EQ("{\n"
              "  \"header\": \"PPM NHM-5 V 5.31 synthetic test image       \",\n"
              "  \"format\": \"unicode\",\n"
              "  \"count\": 2,\n"
              "  \"melodies\": [\n"
              "    {\"position\": 1, \"index\": 3, \"id\": \"AB  \", \"name\": \"Gr\xC3\xBC\xC3\x9F \\\"1\\\"\", "
              "\"purpose\": 2, \"playMode\": 0, \"playModeText\": \"Ringing and preview infinite\", \"length\": 48},\n"
              "    {\"position\": 2, \"index\": 4, \"id\": \"    \", \"name\": \"Tab\\u0009A\", \"purpose\": 0, "
              "\"playMode\": 2, \"playModeText\": \"Preview twice\", \"length\": 36}\n"
              "  ]\n"
              "}\n",
              run.out);
    const Outcome empty = RunCli({"bank", "list", Write("empty.fls", Image(kAscii, 0)), "--json"});
    EXPECT_NE(std::string::npos, empty.out.find("\"format\": \"ascii\",\n  \"count\": 0,\n  \"melodies\": []\n}\n"));
}

TEST_F(BankCli, RefusesAndLeavesTheOutputAlone) {
    Bytes full;
    {
        testing::ImageLayout layout;
        layout.records.assign(300, testing::MakeRecord(kAscii, 1, "", "x", Hex("07 0B")));
        full = testing::BuildImage(layout).image;
    }
    testing::ImageLayout noTone;
    noTone.toneChunk = testing::MakeChunk("TUNE", Bytes(8, 0));
    const Bytes three = Image(kAscii, 3);
    struct Case {
        std::string command;
        Bytes image;
        std::vector<std::string> args;
        std::string message;  // the whole error output; "@" stands for the scratch folder
    };
    const std::string range3 = "Position 4 is out of range: the bank holds 3 melodies (positions 1 to 3).\n";
    const std::string notDone = "\nNot done: give --force to answer OK.\n";
    // clang-format off
    const Case cases[] = {
        {"save", AsBytes(kTune), {}, "@/in.fls doesn't contain PPM section or is not in Dejan/RAW format!\n"},
        {"export", testing::BuildImage(noTone).image, {"1"}, "TONE chunk not found!!!\n"},
        {"delete", three, {"4"}, range3},
        {"move", three, {"1", "4"}, range3},
        {"insert", three, {"0", "@tune.rtx"}, "Position 0 is out of range: the bank holds 3 melodies (positions 1 to 3).\n"},
        {"export", Image(kAscii, 1), {"2"}, "Position 2 is out of range: the bank holds 1 melody (position 1).\n"},
        {"insert", Image(kAscii, 0), {"2", "@tune.rtx"},
         "Position 2 is out of range: the bank holds no melodies, so a new one goes in at position 1.\n"},
        {"replace", Image(kAscii, 0), {"1", "@tune.rtx"}, "Position 1 is out of range: the bank holds no melodies.\n"},
        {"insert", full, {"1", "@tune.rtx"}, "You cannot add more than 300 melodies!\n"},
        {"insert", three, {"1", "@bad.re"}, "Not a valid raw melody file!\n"},
        {"replace", three, {"1", "@missing.rtx"}, "@/missing.rtx: No such file or directory\n"},
        {"replace", three, {"1", "@broken.rtx"}, "The note \"4c\" cannot be timed: the BPM field gives a tempo of 0.\n"},
        {"set", three, {"1", "--purpose", "2"},
         "The melodies of an ASCII bank have no purpose: --purpose is for Unicode banks only.\n"},
        {"set", three, {"1", "--name", "\xE2\x82\xAC"},
         "The name holds a character the phone cannot store: only Latin-1 characters fit.\n"},
        {"set", three, {"1", "--index", "2147483648"}, "The index must be a whole number from 0 to 2147483647.\n"},
        {"set", Image(kUnicode, 1), {"1", "--name", std::string(31, 'n')}, "A melody name holds at most 30 characters.\n"},
        {"set", three, {"2", "--index", "11"}, "M2 has the same index 11 as M1. Please correct it." + notDone},
        {"insert", Image(kAscii, 1, Bytes(100, 0x5A)), {"1", "@tune.rtx"},
         "The melodies need 48 bytes more than the TONE chunk of the loaded image had. Saving overwrites 48 bytes "
         "behind the chunk chain, 48 of which hold data (not 0xFF). Such an image may not work in the phone. Save "
         "anyway?" + notDone},
    };
    // clang-format on
    Write("bad.re", AsText(kAsciiRe).substr(0, 20));
    Write("broken.rtx", "Broken:b=0:4c\r\n");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command + " " + ::testing::PrintToString(c.args));
        Write("out.fls", "old");
        const Outcome run = RunBank(c.command, c.image, c.args);
        EXPECT_EQ(1, run.status);
        std::string message = c.message;
        if (message.starts_with("@")) {
            message = dir_.string() + message.substr(1);
        }
        if (const auto at = message.find(" @"); at != std::string::npos) {
            message.replace(at + 1, 1, dir_.string());
        }
        EXPECT_EQ(message, run.err);
        EXPECT_BYTES_EQ(AsBytes("old"), *Read("out.fls"));
    }
}

TEST_F(BankCli, ForceAnswersTheQuestionsOfTheSave) {
    struct Case {
        std::string command;
        Bytes image;
        std::vector<std::string> args;
        std::function<void(ToneBank&)> edit;
        std::size_t messages;  // lines on the error stream
    };
    // clang-format off
    const Case cases[] = {
        {"set", Image(kAscii, 3), {"3", "--index", "11", "--force"},
         [](ToneBank& b) { (void)bank::ApplyRecordEdits(b, 2, {"M3", "ID  ", "11", "n/a"}); }, 1},
        {"insert", Image(kAscii, 1, Bytes(100, 0x5A)), {"--force", "1", "@ascii.re"},
         [](ToneBank& b) { (void)bank::InsertFromRe(b, 0, kAsciiRe); }, 1},
        // More than 65 melodies in an ASCII bank: a warning, no question.
        {"save", Image(kAscii, 66), {}, [](ToneBank&) {}, 1},
        {"save", Image(kUnicode, 66), {}, [](ToneBank&) {}, 0},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command + " " + ::testing::PrintToString(c.args));
        ToneBank expected = Loaded(c.image);
        c.edit(expected);
        const Outcome run = RunBank(c.command, c.image, c.args);
        EXPECT_EQ(0, run.status) << run.err;
        EXPECT_EQ(c.messages, static_cast<std::size_t>(std::count(run.err.begin(), run.err.end(), '\n'))) << run.err;
        EXPECT_BYTES_EQ(bank::BuildFirmwareImage(expected), *Read("out.fls"));
    }
    EXPECT_EQ(std::string(bank::kTooManyMelodies) + "\n", RunBank("save", Image(kAscii, 66), {}).err);
}

TEST_F(BankCli, StandardStreams) {
    const Bytes image = Image(kUnicode, 2);
    Outcome run = RunCli({"bank", "save", "-", "-o", "-"}, AsText(image));
    EXPECT_EQ(0, run.status) << run.err;
    EXPECT_BYTES_EQ(image, AsBytes(run.out));
    // Standard input serves one input only.
    run = RunCli({"bank", "insert", "-", "1", "-", "-o", Path("out.fls")}, AsText(image));
    EXPECT_EQ(1, run.status);
    EXPECT_EQ("standard input: it can be read only once.\n", run.err);
    run = RunCli({"bank", "list", "-"}, kTune);
    EXPECT_EQ("standard input doesn't contain PPM section or is not in Dejan/RAW format!\n", run.err);
}

TEST_F(BankCli, UnwritableOutputIsRefused) {
    const Outcome run = RunCli({"bank", "reindex", Write("in.fls", Image(kAscii, 2)), "-o", Path("no/such/out.fls")});
    EXPECT_EQ(1, run.status);
    EXPECT_EQ(Path("no/such/out.fls") + ": No such file or directory\n", run.err);
}

TEST(BankCliUsage, WrongCommandLinesAreUsageErrors) {
    const std::vector<std::string> lines[] = {
        {"bank"},
        {"bank", "list"},
        {"bank", "set", "a.fls", "1", "-o", "b.fls"},  // nothing to set
        {"bank", "export", "a.fls", "1", "-o", "b.re", "--to", "latin1"},
        {"bank", "delete", "a.fls", "-1", "-o", "b.fls"},
        {"bank", "delete", "a.fls", "1.5", "-o", "b.fls"},
        {"bank", "move", "a.fls", "1", "-o", "b.fls"},
        {"bank", "save", "a.fls"},  // -o is required
        {"render", "a.rtx", "-o", "a.wav", "--hardware", "siemens"},
        {"convert", "a.re", "-o", "b.re"},  // --to is required
    };
    for (const auto& args : lines) {
        SCOPED_TRACE(::testing::PrintToString(args));
        const Outcome run = RunCli(args);
        EXPECT_EQ(2, run.status);
        EXPECT_EQ("", run.out);
        EXPECT_NE(std::string::npos, run.err.find("Run with --help for more information.")) << run.err;
    }
    EXPECT_EQ("Unknown command: frob\nRun with --help for more information.\n", RunCli({"bank", "frob", "x"}).err);
}

TEST(BankCliUsage, EveryCommandHasHelpWithAnExample) {
    const std::vector<std::string> commands[] = {{"render"},          {"convert"},        {"bank", "list"},
                                                 {"bank", "export"},  {"bank", "save"},   {"bank", "insert"},
                                                 {"bank", "replace"}, {"bank", "delete"}, {"bank", "move"},
                                                 {"bank", "reindex"}, {"bank", "set"}};
    for (std::vector<std::string> args : commands) {
        const std::string name = ::testing::PrintToString(args);
        SCOPED_TRACE(name);
        const std::string example =
            "Examples:\n  belltower-cli " + args.front() + (args.size() > 1 ? " " + args[1] : "");
        args.push_back("--help");
        const Outcome run = RunCli(args);
        EXPECT_EQ(0, run.status);
        EXPECT_NE(std::string::npos, run.out.find(example)) << run.out;
    }
}

}  // namespace
}  // namespace belltower::cli
