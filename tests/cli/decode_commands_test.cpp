// The melody formats on the command line: decode, --to, and MIDI inputs recognised by content.
// Each command is checked once through standard input and output; the formats themselves are
// tested in tests/melody and tests/interchange.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli.h"
#include "interchange/midi.h"
#include "interchange/ott.h"
#include "melody/rtx_text.h"
#include "melody/tone_encoder.h"
#include "preview/wav_writer.h"
#include "support/hex.h"
#include "support/image_builder.h"

namespace belltower::cli {
namespace {

using formats::Bytes;
using formats::ToBytes;
using formats::ToText;

Bytes Encoded(const std::string& ringtone, bool twice = false, bool noSmallPauses = false) {
    melody::MelodyFields fields;
    melody::ReadRtxText(ringtone, fields);
    fields.playTwice = twice;
    fields.noSmallPauses = noSmallPauses;
    return *melody::EncodeMelody(fields, formats::TextFormat::Ascii, std::nullopt).record;
}

const std::string kTune = "Tune:d=4,o=5,b=125,f=TUNE,i=7,s=0,@=3:8c 8c 4d# t250 v1 2e. v0 p";
// The tune from a MIDI file: no ID, index or vibration; its delay a last rest.
const std::string kMidiDecoded = "Tune:d=8,o=5,b=125,f=,i=1,c=0,s=0,@=0:c c 4d# 4e. p 64p\r\n";
const std::string kTuneDecoded = "Tune:d=8,o=5,b=125,f=TUNE,i=7,c=0,s=0,@=3:c c 4d# v1 4e. v0 p\r\n";

struct Case {
    const char* what;
    std::vector<std::string> args;
    Bytes input;
    Bytes output;
    const char* warning;  // the start of standard error
};

TEST(DecodeCommands, WriteAndReadEveryMelodyFormat) {
    const Bytes record = Encoded(kTune, true, true);
    const Bytes midi = *interchange::WriteMidiMelody(Encoded(kTune));
    testing::ImageLayout layout;
    layout.records.push_back(record);
    const Bytes image = testing::BuildImage(layout).image;
    melody::MelodyFields fields;
    melody::ReadRtxText(kTune, fields);
    const Bytes ott = interchange::WriteOtt(fields)->bytes;
    const Case cases[] = {
        {"encode into .ott", {"encode", "-", "-o", "-", "--to", "ott"}, ToBytes(kTune), ott, ""},
        {"decode an .ott file",
         {"decode", "-", "-o", "-"},
         ott,
         ToBytes(melody::WriteRtxText(interchange::ReadOtt(ott)->fields)),
         ""},
        {"decode an RE file",
         {"decode", "-", "-o", "-"},
         record,
         ToBytes(kTuneDecoded),
         "Ringtone text cannot hold every option of this melody; encode it with: --twice --no-small-pauses"},
        {"decode a MIDI file", {"decode", "-", "-o", "-"}, midi, ToBytes(kMidiDecoded), ""},
        {"encode into MIDI", {"encode", "-", "-o", "-", "--to", "mid"}, ToBytes(kTune), midi, ""},
        {"encode an RE file again", {"encode", "-", "-o", "-"}, record, record, ""},
        {"convert to ringtone text",
         {"convert", "-", "-o", "-", "--to", "rtx"},
         record,
         ToBytes(kTuneDecoded),
         "Ringtone text"},
        {"export from a bank as MIDI",
         {"bank", "export", "-", "1", "-o", "-", "--to", "MID"},
         image,
         *interchange::WriteMidiMelody(record),
         ""},
        {"render a MIDI file",
         {"render", "-", "-o", "-"},
         midi,
         preview::WriteWav(Encoded(kMidiDecoded), {true, false, melody::Hardware::Phone}).wav,
         ""},
    };
    for (const Case& row : cases) {
        std::istringstream in(ToText(row.input));
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(cli::Run(row.args, in, out, err), 0) << row.what << ": " << err.str();
        EXPECT_BYTES_EQ(row.output, ToBytes(out.str())) << row.what;
        EXPECT_TRUE(err.str().starts_with(row.warning)) << row.what << ": " << err.str();
    }
}

TEST(DecodeCommands, RefuseADamagedMidiFile) {
    std::istringstream in(ToText(testing::Hex("4D546864 00000006 0000 0001 0060 4D54726B 00000020 00 90")));
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(cli::Run({"encode", "-", "-o", "-"}, in, out, err), 1);
    EXPECT_TRUE(out.str().empty());
    EXPECT_EQ(err.str(),
              "The MIDI file is damaged: a chunk says it is 32 bytes long, past the end of the file at byte 14.\n");
}

}  // namespace
}  // namespace belltower::cli
