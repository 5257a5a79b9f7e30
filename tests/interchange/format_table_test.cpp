// SPDX-License-Identifier: GPL-3.0-or-later
// The table of formats: each row is found by its name and content, recognition picks the row
// of every kind of file, and the file dialogs get one filter per row that has files.
#include <gtest/gtest.h>

#include <cctype>

#include "interchange/format_table.h"
#include "interchange/melody_file.h"
#include "interchange/midi.h"
#include "interchange/ott.h"
#include "melody/rtx_text.h"
#include "support/hex.h"
#include "support/image_builder.h"

namespace belltower::interchange {
namespace {

using formats::Bytes;
using testing::Hex;

TEST(FormatTable, EveryRowIsFoundByItsNameInAnyCaseAndByItsContent) {
    for (const MelodyFormat& format : MelodyFormats()) {
        std::string upper(format.name);
        for (char& c : upper) {
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        EXPECT_EQ(&format, FindMelodyFormat(upper)) << format.name;
        EXPECT_EQ(&format, &FormatOf(format.content)) << format.name;
        EXPECT_NE(nullptr, format.read) << format.name;
    }
    EXPECT_EQ(nullptr, FindMelodyFormat("wav"));
    EXPECT_EQ(nullptr, FindMelodyFormat("mi"));
    EXPECT_EQ(".mid", Extension(MelodyOutput::Mid));
    EXPECT_EQ(".re", Extension(MelodyOutput::ReUnicode));
    EXPECT_EQ("MIDI file|*.mid;*.midi", FileDialogFilter(FormatOf(MelodyContent::Midi)));
    EXPECT_EQ("RE melody record|*.re", FileDialogFilter(FormatOf(MelodyContent::Record)));
    EXPECT_EQ(&FormatOf(MelodyContent::Imelody), FindMelodyFormatByExtension("IMY"));
    EXPECT_EQ(nullptr, FindMelodyFormatByExtension("wav"));
    EXPECT_EQ("", FileDialogFilter(FormatOf(MelodyContent::ToneData)));  // no files of its own
}

TEST(FormatTable, RecognitionTellsEachKindOfFileByItsBytes) {
    const Bytes toneData = Hex("0A 01 8B 34 0A FE 07 0B");
    const Bytes record = testing::MakeRecord(formats::TextFormat::Ascii, 1, "ID", "M", toneData);
    melody::MelodyFields fields;
    melody::ReadRtxText("Tune:d=4,o=5,b=125:8c 4d#", fields);
    const Bytes cut(record.begin(), record.end() - 1);
    const Bytes ott = WriteOtt(fields)->bytes;  // its first byte counts its parts, 1 to 15
    const struct {
        Bytes bytes;
        MelodyContent content;
    } cases[] = {
        {record, MelodyContent::Record},
        {cut, MelodyContent::Ringtone},  // its length field no longer matches
        {*WriteMidiMelody(record), MelodyContent::Midi},
        {Hex("4D546864 00000006"), MelodyContent::Midi},  // cut short: refused as damaged MIDI
        {formats::ToBytes("MThd tune:d=4:c"), MelodyContent::Ringtone},
        {testing::Patched(ott, 0, "01"), MelodyContent::Ott},
        {testing::Patched(ott, 0, "0F"), MelodyContent::Ott},
        {testing::Patched(ott, 0, "00"), MelodyContent::Ringtone},
        {testing::Patched(ott, 0, "10"), MelodyContent::Ringtone},
        {formats::ToBytes("Tune:d=4:c"), MelodyContent::Ringtone},
        {toneData, MelodyContent::Ringtone},  // bare tone data is read only when named
        {{}, MelodyContent::Ringtone},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.content, RecogniseMelody(c.bytes)) << testing::ToHex(c.bytes);
    }
    // Named, the tone data is decoded as it is; recognised, it would be ringtone text.
    const auto named = ReadMelodyFile(toneData, {}, &FormatOf(MelodyContent::ToneData));
    EXPECT_EQ(ReadMelodyRecord(record).fields.notes, named->fields.notes);
}

}  // namespace
}  // namespace belltower::interchange
