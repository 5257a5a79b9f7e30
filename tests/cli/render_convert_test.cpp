// render and convert against the core routines the window's play and export buttons run.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "bank/re_exchange.h"
#include "cli_fixture.h"
#include "melody/rtx_text.h"
#include "melody/tone_encoder.h"
#include "preview/wav_writer.h"
#include "support/hex.h"
#include "support/image_builder.h"

namespace belltower::cli {
namespace {

using formats::Bytes;
using formats::TextFormat;
using testing::Hex;

constexpr const char* kTune = "Tune:d=4,o=5,b=125:8c 8c 4d# v1 2e. v0 p 8c3 8c4\r\n";

// Play of the edit fields: a fresh window opens the text and encodes all notes in ASCII.
Bytes PlayedRecord(const std::string& ringtone) {
    melody::MelodyFields fields;
    melody::ReadRtxText(ringtone, fields);
    auto encoded = melody::EncodeMelody(fields, TextFormat::Ascii, std::nullopt);
    EXPECT_TRUE(encoded.record.has_value());
    return encoded.record.has_value() ? *encoded.record : Bytes{};
}

// A melody whose repeats would play for hours: 05 FF, a note, then three repeat ends.
const Bytes kEndlessTone = Hex("00 02 FC 09 05 FF 7F FF 06 06 06 07 0B");

TEST_F(Cli, RenderWritesWhatThePlayButtonsRender) {
    const Bytes unicodeRecord = PlayedRecord(kTune).empty() ? Bytes{} : *bank::RecordToUnicode(PlayedRecord(kTune));
    struct Case {
        std::string file;
        Bytes content;
        Bytes played;  // what reaches WriteWav
        std::vector<std::string> flags;
        bool noVibration;
        bool half;
        int hardware;
    };
    const Case cases[] = {
        {"tune.rtx", AsBytes(kTune), PlayedRecord(kTune), {}, false, false, 1},
        {"tune.ert", AsBytes(kTune), PlayedRecord(kTune), {"--no-vibration", "--half"}, true, true, 1},
        {"tune.txt", AsBytes(kTune), PlayedRecord(kTune), {"--hardware", "none"}, false, false, 0},
        {"tune.re", PlayedRecord(kTune), PlayedRecord(kTune), {"--hardware", "LogoManager"}, false, false, 2},
        // A record is told by its length field whatever the file is called.
        {"tune7110", unicodeRecord, unicodeRecord, {"--half", "--hardware", "phone"}, false, true, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file + " " + ::testing::PrintToString(c.flags));
        std::vector<std::string> args{"render", Write(c.file, c.content), "-o", Path("out.wav")};
        args.insert(args.end(), c.flags.begin(), c.flags.end());
        const Outcome run = RunCli(args);
        EXPECT_EQ(0, run.status);
        EXPECT_EQ("", run.err);
        ASSERT_TRUE(Read("out.wav"));
        EXPECT_BYTES_EQ(preview::WriteWav(c.played, c.noVibration, c.half, c.hardware).wav, *Read("out.wav"));
    }
    // The flags reach the synthesiser: each of them changes the samples of this melody.
    const Bytes plain = preview::WriteWav(PlayedRecord(kTune), false, false, 1).wav;
    EXPECT_NE(plain, preview::WriteWav(PlayedRecord(kTune), true, false, 1).wav);
    EXPECT_NE(plain, preview::WriteWav(PlayedRecord(kTune), false, false, 0).wav);
    EXPECT_NE(plain, preview::WriteWav(PlayedRecord(kTune), false, false, 2).wav);
}

TEST_F(Cli, RenderReadsStandardInputAndWritesStandardOutput) {
    const Outcome run = RunCli({"render", "-", "-o", "-"}, kTune);
    EXPECT_EQ(0, run.status) << run.err;
    EXPECT_BYTES_EQ(preview::WriteWav(PlayedRecord(kTune), false, false, 1).wav, AsBytes(run.out));
}

TEST_F(Cli, RenderWarnsWhenThePreviewIsCut) {
    const Bytes record = testing::MakeRecord(TextFormat::Ascii, 1, "", "Loop", kEndlessTone);
    const preview::WavResult expected = preview::WriteWav(record, false, true, 1);
    ASSERT_TRUE(expected.truncated);
    const Outcome run = RunCli({"render", Write("loop.re", record), "-o", Path("loop.wav"), "--half"});
    EXPECT_EQ(0, run.status);
    EXPECT_EQ("The melody plays longer than 600 seconds (its repeats multiply); the preview stops there.\n", run.err);
    EXPECT_BYTES_EQ(expected.wav, *Read("loop.wav"));
}

TEST_F(Cli, RenderAndConvertRefuseAndLeaveTheOutputAlone) {
    const std::string record = AsText(PlayedRecord(kTune));
    struct Case {
        std::string command;
        std::string file;
        std::string content;
        std::string message;
    };
    const Case cases[] = {
        // Named .re but cut short: not read as ringtone text.
        {"render", "cut.re", record.substr(0, 30), "Not a valid raw melody file!\n"},
        {"render", "broken.rtx", "Broken:b=0:4c\r\n",
         "The note \"4c\" cannot be timed: the BPM field gives a tempo of 0.\n"},
        {"convert", "short.re", record.substr(0, 7), "Not a valid raw melody file!\n"},
        {"convert", "long.re", record + "\xFF\xFF\xFF\xFF", "Not a valid raw melody file!\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        Write("keep", "old");
        std::vector<std::string> args{c.command, Write(c.file, c.content), "-o", Path("keep")};
        if (c.command == "convert") {
            args.insert(args.end(), {"--to", "unicode"});
        }
        const Outcome run = RunCli(args);
        EXPECT_EQ(1, run.status);
        EXPECT_EQ(c.message, run.err);
        EXPECT_BYTES_EQ(AsBytes("old"), *Read("keep"));
    }
    // An empty melody renders (an empty preview) after the encoder's warning, as in the window.
    const Outcome empty = RunCli({"render", Write("empty.rtx", "Empty:b=140:\r\n"), "-o", Path("out.wav")});
    EXPECT_EQ(0, empty.status);
    EXPECT_EQ(std::string(melody::kNoDataText) + "\n", empty.err);
}

TEST_F(Cli, ConvertWritesTheRecordInTheChosenFormat) {
    const Bytes ascii = testing::MakeRecord(TextFormat::Ascii, 7, "ID", "Gr\xFC\xDF", Hex("00 02 FC 09 7F 10 07 0B"));
    const Bytes unicode = *bank::RecordToUnicode(ascii);
    struct Case {
        Bytes in;
        std::string to;
        Bytes expected;
    };
    const Case cases[] = {
        {ascii, "unicode", unicode}, {ascii, "ascii", ascii}, {unicode, "ASCII", ascii}, {unicode, "unicode", unicode}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.to);
        const Outcome run = RunCli({"convert", "-", "-o", Path("out.re"), "--to", c.to}, AsText(c.in));
        EXPECT_EQ(0, run.status) << run.err;
        ASSERT_TRUE(Read("out.re"));
        EXPECT_BYTES_EQ(c.expected, *Read("out.re"));
    }
    EXPECT_NE(ascii, unicode);
}

}  // namespace
}  // namespace belltower::cli
