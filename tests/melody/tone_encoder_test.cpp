// SPDX-License-Identifier: GPL-3.0-or-later
// The tone encoder, and the decoder on what it wrote (one table checked both ways) and on tone
// data the encoder never writes: it plays the same and says what it lost.
#include "melody/tone_encoder.h"

#include <gtest/gtest.h>

#include "formats/file_io.h"
#include "formats/record.h"
#include "melody/tone_decoder.h"
#include "support/hex.h"
#include "support/save_faults.h"
#include "support/scratch_dir.h"

namespace belltower::melody {
namespace {

using formats::Bytes;
using formats::ErrorCode;
using formats::TextFormat;
using testing::Hex;

constexpr TextFormat kForms[] = {TextFormat::Ascii, TextFormat::Unicode};

// The tone data of a record: its tail without the name's terminator and the fill.
Bytes ToneData(const Bytes& record, TextFormat form) {
    const auto tail = formats::RecordTail(record, form);
    EXPECT_TRUE(tail.has_value());
    return formats::StripFill(formats::ByteView(*tail).subspan(form == TextFormat::Unicode ? 2 : 1));
}

TEST(ToneEncoder, WritesTheWholeRecordInBothForms) {
    // Index and ID at their limits: the ID keeps four characters.
    const std::string tone = "00 02 FC 09 0A 01  8B 34  0A FE  40 01  07 0B";
    const Bytes ascii = Hex("7F FF FF FF  00 00 00 24  41 42 43 44  00  00 00 00 02  41  00" + tone + "FF FF FF");
    const Bytes unicode = Hex("7F FF FF FF  00 00 00 24  41 42 43 44  00 00  00 00 00 02  00 41  00 00" + tone);
    const MelodyFields fields{.name = "A", .notes = "4c", .id = "ABCDEF", .index = "2147483647"};
    EXPECT_BYTES_EQ(ascii, *EncodeMelody(fields, TextFormat::Ascii, std::nullopt).record);
    EXPECT_BYTES_EQ(unicode, *EncodeMelody(fields, TextFormat::Unicode, std::nullopt).record);
}

// Fields default to duration 8, octave 6, tempo 140, staccato 0, delay 1, checks clear.
TEST(ToneEncoder, EncodesNotesTagsAndSettingsAndDecodesThemBack) {
    struct Case {
        MelodyFields fields;
        const char* commands;           // between the opening and the closing
        const char* decoded = nullptr;  // the notes text the decoder gives back, exactly
        const char* closing = "0A FE 40 01 07 0B";
        std::optional<NotesSelection> selection;  // of at least one character, else the whole text
        bool noData = false;
    };
    const Case cases[] = {
        {{.notes = "4c"}, "8B 34"},  // 66 + 1 + 72 = 139; 29000 / 560 = 51.79 -> 52
        {{.notes = "8c 8d 8e 4f#5 8p 16g."}, "8B 1A 8D 1A 8F 1A 85 34 40 1A 92 13", "c d e 4f#5 p 16g."},
        {{.notes = "4c 4d t100 4e 4f"}, "8B 34 8D 34 8F 48 90 48", "c d t100 e f"},
        {{.notes = "c v0 d v1 e"}, "8B 1A 0A FE 8D 1A 0A 01 8F 1A", "c v0 d v1 e"},
        {{.notes = "4c 4c"}, "8B 34 40 02 8B 34", "c c"},
        // Of the tempos giving the same bytes, the usual one that reads mostly as eighths (not
        // 90 with sixteenths), and one in the usual range (not 200 with eighths and quarters).
        {{.tempo = "180", .notes = "8c 8d 8e 4f"}, "8B 14 8D 14 8F 14 90 28", "c d e 4f"},
        {{.tempo = "100", .notes = "16c 16d 8e"}, "8B 12 8D 12 8F 24", "c d 8e"},
        // Tempos of the common table win over their neighbours (91, 356, 901; 32 is none), at no cost (at a cost of one
        // 660 wins the fourth); of two beats used alike, the longer.
        {{.tempo = "160", .notes = "8c"}, "8B 17", "c"},
        {{.tempo = "90", .notes = "8c 8d 8e"}, "8B 28 8D 28 8F 28", "c d e"},
        {{.tempo = "355", .notes = "8c 32d"}, "8B 0A 8D 03", "c 32d"},
        {{.duration = "2", .tempo = "635", .notes = "32b t125 8d. t635 c."},
         "96 01 8D 2C 8B 22",
         "32b t125 8d. t635 c."},
        {{.tempo = "900", .notes = "4c 32d 4e."}, "8B 08 8D 01 8F 0C", "c 32d e."},
        {{.tempo = "48", .notes = "1c."}, "8B 7D 8B 7D 8B 7D 8B 7D 8B 7D 8B 7D 8B 7D 8B 1F", "c."},
        {{.tempo = "63", .notes = "2c 16d"}, "8B 7D 8B 69 8D 1D", "c 16d"},
        // The weight of a dotted beat alone decides these (one more or less: 182 c 32c., 115 c. 8c.), and a tag's
        // look-ahead of eight notes this one (with seven the b is a quarter at 195).
        {{.tempo = "135", .notes = "8c. 32c"}, "8B 28 40 02 8B 07", "c. 32c"},
        {{.tempo = "153", .notes = "2c 4c"}, "8B 5F 40 02 8B 2F", "c 4c"},
        {{.duration = "16", .tempo = "365", .notes = "t390 2b c b f g p e 32e p. t365 4g."},
         "96 25 8B 05 96 05 90 05 92 05 40 05 8F 05 40 02 8F 02 40 07 92 1E",
         "t390 2b c b f g p e 32e p. t365 4g."},
        // Three units fit a dotted 32nd from tempo 389 and a 16th from 518: each tempo counts once.
        {{.tempo = "285", .notes = "32c 32d"}, "8B 03 8D 03", "c d"},
        {{.octave = "abc", .notes = "c c6 d6"}, "43 1A 8B 1A 8D 1A", "c0.01 c d"},  // octave 0 is written
        {{.notes = "4c 4c", .noSmallPauses = true}, "8B 34 8B 34", "c c"},
        {{.notes = "4c p p"}, "8B 34 40 1A 40 02 40 1A"},  // two pauses are equal codes too
        {{.duration = "32", .tempo = "400", .notes = "p p"}, "40 02 40 02 40 02", "p p"},  // as short as the break
        {{.notes = "8c."}, "8B 27"},                                                       // 25.89 x 1.5 = 38.84 -> 39
        {{.notes = "g#15"}, "FF 1A"},
        {{.octave = "-6", .notes = "f"}, "00 1A"},  // the highest and lowest codes
        {{.notes = "8c#.6 8c6.# 8c.6"}, "8C 27 40 02 8C 27 8B 27"},
        {{.notes = "8#c"}, ""},  // the letter is "#"
        // 580 units in pieces; at 400 beats per minute 72.5 -> 72
        {{.tempo = "50", .notes = "1c t400 1c"}, "8B 7D 8B 7D 8B 7D 8B 7D 8B 50  40 02 8B 48"},
        {{.tempo = "50", .notes = "1c"}, "8B 7D 8B 7D 8B 7D 8B 7D 8B 50", "c"},
        {{.notes = "t0 4c T70 4d"}, "8B 34 8D 68"},  // a tempo tag of 0 is ignored; tags are lower-cased too
        {{.notes = "32c 16p 32d"}, "8B 06 40 0D 8D 06", "c 16p d"},  // half the notes cut is no staccato
        {{.notes = "4c 4c 8d", .staccato = "6"}, "8B 06 40 2E 8B 06 40 2E 8D 06 40 14", "c c 8d"},
        {{.tempo = "50", .notes = "1c", .staccato = "255.4"}, "8B FF 40 7D 40 7D 40 4B"},
        // Read as staccato, not as shorter notes and rests held together by tempo tags.
        {{.duration = "8", .octave = "5", .tempo = "140", .notes = "c d e f g a b c6 4d6 16e6 e6.", .staccato = "20"},
         "7F 14 40 06 81 14 40 06 83 14 40 06 84 14 40 06 86 14 40 06 88 14 40 06 8A 14 40 06 8B 14 40 06 8D 14 40 20"
         "8F 0D 40 02 8F 14 40 13",
         "c d e f g a b c6 4d6 16e6 e6."},
        {{.notes = "4c", .staccato = "300"}, "8B 34"},  // too long to cut this note
        {{.notes = "4- 4p"}, "40 34 40 02 40 34"},
        {{.notes = "4x 10c 4 v2"}, ""},                  // "10c" has the prefix 1 and the letter 0
        {{.notes = "D#5"}, "82 1A"},                     // 68 + 1 + 60 + 1 = 130
        {{.notes = "c d\r\ne f"}, "8B 1A 8D 1A 90 1A"},  // the token "d\r\ne" is the note d
        {{.notes = "32c 99h"}, "8B 06 96 02"},
        {{.tempo = "1813", .notes = "32c 32d"}, "8B 01 8D 01"},        // 0.4999 units: a tone lasts at least one
        {{.duration = "8x", .octave = "abc", .notes = "c"}, "43 1A"},  // octave 0
        {.fields = {.notes = ""}, .commands = "", .noData = true},
        {.fields = {.notes = "8d 4c 8e"}, .commands = "8B 34", .selection = NotesSelection{3, 2}},  // "4c"
        {.fields = {.notes = "8d 4c 8e"}, .commands = "8D 1A 8B 34 8F 1A", .selection = NotesSelection{3, 0}},
        {.fields = {.notes = "8d 4c 8e"}, .commands = "8F 1A", .selection = NotesSelection{6, 100}},
        {.fields = {.notes = "8d 4c 8e"}, .commands = "", .selection = NotesSelection{9, 1}, .noData = true},
        {{.notes = "4c", .delay = "10", .forceOnePlay = true}, "8B 34", "c", "0A FE 40 0A 0A 0E 07 0B"},
        {{.notes = "4c", .delay = "0", .playTwice = true}, "8B 34", "c", "0A 0A 07 0B"},
        {{.notes = "4c", .delay = "255.4"}, "8B 34", nullptr, "0A FE 40 FF 07 0B"},
        {{.tempo = "0", .notes = "t0 v1"}, "0A 01"},
    };
    for (const auto& c : cases) {
        const Bytes expected = Hex(std::string("00 02 FC 09 0A 01") + c.commands + c.closing);
        for (const auto form : kForms) {
            SCOPED_TRACE(c.fields.notes + (form == TextFormat::Unicode ? " (Unicode)" : " (ASCII)"));
            const auto result = EncodeMelody(c.fields, form, c.selection);
            ASSERT_TRUE(result.record.has_value()) << result.record.error().message;
            EXPECT_BYTES_EQ(expected, ToneData(*result.record, form));
            EXPECT_EQ(result.noData, c.noData);
            if (c.decoded != nullptr) {
                const DecodedMelody decoded = DecodeMelody(*result.record);
                MelodyFields want = c.fields;  // the decoder chooses its own default duration and octave
                want.duration = decoded.fields.duration;
                want.octave = decoded.fields.octave;
                want.notes = c.decoded;
                EXPECT_TRUE(decoded.exact && decoded.losses.empty());
                EXPECT_EQ(decoded.fields, want) << decoded.fields.notes;
            }
        }
    }
}

// At tempo 1 a whole note lasts 29,000 units, 232 commands: it still reads back as typed.
TEST(ToneDecoder, ReadsAWholeNoteAtTheLowestTempo) {
    const MelodyFields fields{.duration = "1", .tempo = "1", .notes = "c"};
    const DecodedMelody decoded = DecodeMelody(*EncodeMelody(fields, TextFormat::Ascii, std::nullopt).record);
    EXPECT_TRUE(decoded.exact);
    EXPECT_EQ(decoded.fields.tempo + " " + decoded.fields.duration + " " + decoded.fields.notes, "1 1 c");
}

TEST(ToneEncoder, ListsTheTokensAsTyped) {
    const auto result = EncodeMelody({.notes = " 8C#,,T90\t d\r\nE  P "}, TextFormat::Ascii, std::nullopt);
    EXPECT_EQ(result.tokens, (std::vector<std::string>{"8c#", "t90\t", "d\r\ne", "p"}));
}

TEST(ToneEncoder, RefusesWhatDoesNotFitWithAMessage) {
    std::string manyNotes;
    for (int i = 0; i < 20000; ++i) {
        manyNotes += "c ";  // 8B 1A and 40 02 each: passes 65535 bytes at the 16383rd note
    }
    const struct {
        MelodyFields fields;
        std::string message;
        ErrorCode code = ErrorCode::BadInput;
    } cases[] = {
        {{.tempo = "0", .notes = "4c"}, R"(The note "4c" cannot be timed: the BPM field gives a tempo of 0.)"},
        {{.duration = "x", .notes = "p"},
         R"(The pause "p" cannot be timed: the Duration field gives a duration of 0.)"},
        {{.notes = "4d a15"}, R"(The note "a15" gives the code 256, above 255: its octave is too high.)"},
        {{.octave = "-6", .notes = "p e"}, R"(The note "e" gives the code -1, below 0: its octave is too low.)"},
        {{.tempo = "-140", .notes = "4c"},
         R"(The note "4c" gets a negative length (-52 units): the tempo and the duration must be positive.)"},
        {{.tempo = "50", .notes = "1c", .staccato = "255.5"},
         R"(The staccato length 255.5 is too long to cut the note "1c": a tone lasts at most 255 units.)"},
        {{.notes = "4c", .delay = "255.5"}, "The delay 255.5 is too long: a pause lasts at most 255 units."},
        {{.notes = "4c", .index = "2147483647.5"}, "The index 2147483648 is outside 0 to 2147483647."},
        {{.notes = "4c", .index = "-1"}, "The index -1 is outside 0 to 2147483647."},
        {{.name = std::string(255, 'n'), .notes = "4c"},
         "The name has 255 characters: a melody name holds at most 254."},
        {{.tempo = "0.0001", .notes = "4c"},
         R"(The note "4c" lasts 72500000 units and needs 580000 commands of at most 125 units: a melody's tone data is limited to 65535 bytes.)",
         ErrorCode::Limit},
        {{.notes = manyNotes},
         R"(The melody is too long: its tone data passes 65535 bytes at the token "c".)",
         ErrorCode::Limit},
        // 65530 bytes of notes: the closing, with its delay pause, would end at 65536.
        {{.notes = manyNotes.substr(0, 32762) + "d"},
         "The melody is too long: its tone data passes 65535 bytes.",
         ErrorCode::Limit},
    };
    for (const auto& c : cases) {
        for (const auto form : kForms) {
            const auto result = EncodeMelody(c.fields, form, std::nullopt);
            ASSERT_FALSE(result.record.has_value()) << c.message;
            EXPECT_EQ(result.record.error().code, c.code);
            EXPECT_EQ(result.record.error().message, c.message);
            EXPECT_FALSE(result.tokens.empty());
        }
    }
}

TEST(ToneEncoder, ReFilesRefuseAnAsciiNameThatWouldReadAsUnicode) {
    const struct {
        std::string name;
        TextFormat form;
        bool accepted;
    } cases[] = {{"\tTune", TextFormat::Ascii, false},  {"\x1FTune", TextFormat::Ascii, false},
                 {"\tTune", TextFormat::Unicode, true}, {" Tune", TextFormat::Ascii, true},
                 {"", TextFormat::Ascii, true},         {std::string(254, 'n'), TextFormat::Unicode, true}};
    for (const auto& c : cases) {
        const MelodyFields fields{.name = c.name, .notes = "4c"};
        const auto result = EncodeReRecord(fields, c.form);
        EXPECT_EQ(c.accepted, result.record.has_value()) << c.name;
        if (result.record) {
            EXPECT_EQ(c.form, formats::DetectRecordFormat(*result.record)) << c.name;
            EXPECT_EQ(c.name, *formats::RecordDisplayName(*result.record, c.form));
        }
        // A preview still plays such a melody.
        EXPECT_TRUE(EncodeMelody(fields, c.form, std::nullopt).record.has_value());
    }
}

// The write itself, and its faults, are the atomic writer's; here only what reaches it, a fault too.
TEST(ToneEncoder, WritesAnReFileOnlyFromACompleteRecord) {
    const testing::ScratchDir folder("encoder");
    const auto path = folder.path() / "a.re";
    ASSERT_TRUE(formats::WriteFileAtomic(path, Hex("01 02 03")));
    auto result = EncodeMelodyFile(path, {.tempo = "0", .notes = "4c"}, TextFormat::Ascii, std::nullopt);
    EXPECT_EQ(result.Failure().code, ErrorCode::BadInput);
    EXPECT_BYTES_EQ(Hex("01 02 03"), *formats::ReadFileBytes(path));
    result = EncodeMelodyFile(path, {.notes = "4c"}, TextFormat::Ascii, std::nullopt);
    ASSERT_TRUE(result.Saved());
    EXPECT_BYTES_EQ(*result.encoded.record, *formats::ReadFileBytes(path));
    testing::ExpectFaultKeepsTarget([](const std::filesystem::path& target, const formats::WriteFault* fault) {
        const auto saved = EncodeMelodyFile(target, {.notes = "4c 8d# t200 1g"}, TextFormat::Unicode, {}, fault);
        return saved.Saved() ? std::nullopt : std::optional(saved.Failure());
    });
}

TEST(ToneDecoder, PlaysForeignToneDataTheSameAndListsWhatItLost) {
    const struct {
        const char* what;
        const char* toneData;
        const char* notes;       // the delay and the closest text
        std::size_t lossOffset;  // where the first loss stands
    } table[] = {
        {"repeat unrolled", "00 02 FC 09 0A 01 05 02 8B 34 06 8D 34 0A FE 07 0B", "@0 c c d", 10},
        {"unknown command skipped", "00 02 FC 09 0A 01 8B 34 12 34 8D 34 0A FE 07 0B", "@0 c d", 8},
        {"no opening", "8B 34 40 02 8D 34", "@0 v0 c. 32p d.", 0},  // a short pause between different notes stays
        {"a record whose name has no terminator", "00000001 00000013 20202020 00000000 03 41 62", "@0 v0", 0},
        {"bytes after the end", "00 02 FC 09 0A 01 8B 34 0A FE 07 0B 8B 34", "@0 c", 12},
    };
    for (const auto& row : table) {
        const DecodedMelody decoded = DecodeMelody(Hex(row.toneData));
        EXPECT_FALSE(decoded.exact) << row.what;
        ASSERT_FALSE(decoded.losses.empty()) << row.what;
        EXPECT_EQ(decoded.losses.front().offset, row.lossOffset) << row.what;
        EXPECT_EQ("@" + decoded.fields.delay + " " + decoded.fields.notes, row.notes) << row.what;
    }
}

TEST(ToneDecoder, NeverFailsOnAnyPrefixOfARecord) {
    const MelodyFields fields{.name = "Prefix", .tempo = "140", .notes = "4c 8d# 1g t90 v0 2a."};
    for (const auto form : {formats::TextFormat::Ascii, formats::TextFormat::Unicode}) {
        const formats::Bytes record = *EncodeMelody(fields, form, std::nullopt).record;
        for (std::size_t size = 0; size <= record.size(); ++size) {
            const DecodedMelody decoded = DecodeMelody(formats::Mid(record, 0, size));
            EXPECT_EQ(decoded.exact, size == record.size()) << size;
        }
    }
}

}  // namespace
}  // namespace belltower::melody
