#include "melody/tone_encoder.h"

#include <gtest/gtest.h>

#include <fstream>

#include "formats/file_io.h"
#include "formats/record.h"
#include "support/hex.h"

namespace belltower::melody {
namespace {

using formats::Bytes;
using formats::ByteView;
using formats::TextFormat;
using testing::Hex;

constexpr TextFormat kForms[] = {TextFormat::Ascii, TextFormat::Unicode};
const Bytes kOpening = Hex("00 02 FC 09 0A 01");

// Settings of the examples: duration 8, octave 6, tempo 140, staccato 0, delay 1, checks clear.
MelodyFields Melody(const char* notes) {
    MelodyFields f;
    f.name = "A";
    f.notes = notes;
    return f;
}

// The tone data of a record: its tail without the name's terminator and the fill.
Bytes ToneData(const Bytes& record, TextFormat form) {
    const auto tail = formats::RecordTail(record, form);
    EXPECT_TRUE(tail.has_value());
    const std::size_t terminator = form == TextFormat::Unicode ? 2 : 1;
    return formats::StripFill(ByteView(*tail).subspan(terminator));
}

TEST(ToneEncoder, WritesTheWholeRecordInBothForms) {
    const Bytes tone = Hex("00 02 FC 09 0A 01  8B 34  0A FE  40 01  07 0B");
    Bytes ascii = Hex("00 00 00 01  00 00 00 24  20 20 20 20  00  00 00 00 02  41  00");
    formats::Append(ascii, tone);
    formats::Append(ascii, Hex("FF FF FF"));
    Bytes unicode = Hex("00 00 00 01  00 00 00 24  20 20 20 20  00 00  00 00 00 02  00 41  00 00");
    formats::Append(unicode, tone);

    const auto a = EncodeMelody(Melody("4c"), TextFormat::Ascii, std::nullopt);
    ASSERT_TRUE(a.record.has_value()) << a.record.error().message;
    EXPECT_BYTES_EQ(ascii, *a.record);
    const auto u = EncodeMelody(Melody("4c"), TextFormat::Unicode, std::nullopt);
    ASSERT_TRUE(u.record.has_value());
    EXPECT_BYTES_EQ(unicode, *u.record);
}

TEST(ToneEncoder, EncodesNotesTagsAndSettings) {
    struct Case {
        const char* notes;
        const char* commands;  // between the opening and the closing
        void (*set)(MelodyFields&) = nullptr;
        const char* closing = "0A FE 40 01 07 0B";
    };
    const Case cases[] = {
        {"4c", "8B 34"},  // 66 + 1 + 72 = 139; 29000 / 560 = 51.79 -> 52
        {"c v0 d v1 e", "8B 1A 0A FE 8D 1A 0A 01 8F 1A"},
        {"4c 4c", "8B 34 40 02 8B 34"},
        {"4c,4c", "8B 34 40 02 8B 34"},
        {"4c 4c", "8B 34 8B 34", [](MelodyFields& f) { f.noSmallPauses = true; }},
        {"4c p p", "8B 34 40 1A 40 02 40 1A"},  // two pauses are equal codes too
        {"8c.", "8B 27"},                       // 25.89 x 1.5 = 38.84 -> 39
        {"8c#6", "8C 1A"},
        {"8c6#", "8C 1A"},
        {"8c#.6 8c6.# 8c.6", "8C 27 40 02 8C 27 8B 27"},
        {"8#c", ""},                                                  // the letter is "#"
        {"1c t400 1c", "8B 7D 8B 7D 8B 7D 8B 7D 8B 50  40 02 8B 48",  // 580 units; 72.5 -> 72
         [](MelodyFields& f) { f.tempo = "50"; }},
        {"t0 4c T70 4d", "8B 34 8D 68"},  // a tempo tag of 0 is ignored; tags are lower-cased too
        {"4c 4c", "8B 06 40 2E 8B 06 40 2E", [](MelodyFields& f) { f.staccato = "6"; }},
        {"1c", "8B FF 40 7D 40 7D 40 4B",
         [](MelodyFields& f) {
             f.staccato = "255.4";
             f.tempo = "50";
         }},
        {"4c", "8B 34", [](MelodyFields& f) { f.staccato = "300"; }},  // too long to cut this note
        {"4- 4p", "40 34 40 02 40 34"},
        {"4x 10c 4 v2", ""},                  // "10c" has the prefix 1 and the letter 0
        {"D#5", "82 1A"},                     // 68 + 1 + 60 + 1 = 130
        {"c d\r\ne f", "8B 1A 8D 1A 90 1A"},  // the token "d\r\ne" is the note d
        {"32c 99h", "8B 06 96 02"},
        {"c", "43 1A",
         [](MelodyFields& f) {
             f.octave = "abc";
             f.duration = "8x";
         }},  // octave 0
        {"", ""},
        {"4c", "8B 34",
         [](MelodyFields& f) {
             f.delay = "10";
             f.forceOnePlay = true;
         },
         "0A FE 40 0A 0A 0E 07 0B"},
        {"4c", "8B 34",
         [](MelodyFields& f) {
             f.delay = "0";
             f.playTwice = true;
         },
         "0A 0A 07 0B"},
        {"4c", "8B 34", [](MelodyFields& f) { f.delay = "255.4"; }, "0A FE 40 FF 07 0B"},
        {"t0 v1", "0A 01", [](MelodyFields& f) { f.tempo = "0"; }},
    };
    for (const auto& c : cases) {
        MelodyFields fields = Melody(c.notes);
        if (c.set != nullptr) {
            c.set(fields);
        }
        Bytes expected = kOpening;
        formats::Append(expected, Hex(c.commands));
        formats::Append(expected, Hex(c.closing));
        for (const auto form : kForms) {
            SCOPED_TRACE(std::string(c.notes) + (form == TextFormat::Unicode ? " (Unicode)" : " (ASCII)"));
            const auto result = EncodeMelody(fields, form, std::nullopt);
            ASSERT_TRUE(result.record.has_value()) << result.record.error().message;
            EXPECT_BYTES_EQ(expected, ToneData(*result.record, form));
            EXPECT_EQ(result.noData, fields.notes.empty());
        }
    }
}

TEST(ToneEncoder, ListsTheTokensAsTyped) {
    const auto result = EncodeMelody(Melody(" 8C#,,T90\t d\r\nE  P "), TextFormat::Ascii, std::nullopt);
    EXPECT_EQ(result.tokens, (std::vector<std::string>{"8c#", "t90\t", "d\r\ne", "p"}));
    EXPECT_FALSE(result.noData);
}

TEST(ToneEncoder, EncodesOnlyASelectionOfAtLeastOneCharacter) {
    struct Case {
        std::optional<NotesSelection> selection;
        const char* commands;
        bool noData;
    };
    const Case cases[] = {
        {NotesSelection{3, 2}, "8B 34", false},  // "4c" of "8d 4c 8e"
        {NotesSelection{3, 0}, "8D 1A 8B 34 8F 1A", false},
        {std::nullopt, "8D 1A 8B 34 8F 1A", false},
        {NotesSelection{6, 100}, "8F 1A", false},
        {NotesSelection{9, 1}, "", true},
    };
    for (const auto& c : cases) {
        const auto result = EncodeMelody(Melody("8d 4c 8e"), TextFormat::Ascii, c.selection);
        ASSERT_TRUE(result.record.has_value());
        Bytes expected = kOpening;
        formats::Append(expected, Hex(c.commands));
        formats::Append(expected, Hex("0A FE 40 01 07 0B"));
        EXPECT_BYTES_EQ(expected, ToneData(*result.record, TextFormat::Ascii));
        EXPECT_EQ(result.noData, c.noData);
    }
}

TEST(ToneEncoder, RefusesWhatDoesNotFitWithAMessage) {
    struct Case {
        const char* notes;
        void (*set)(MelodyFields&);
        formats::ErrorCode code;
        std::string message;
    };
    using formats::ErrorCode;
    const Case cases[] = {
        {"4c", [](MelodyFields& f) { f.tempo = "0"; }, ErrorCode::BadInput,
         R"(The note "4c" cannot be timed: the BPM field gives a tempo of 0.)"},
        {"p", [](MelodyFields& f) { f.duration = "x"; }, ErrorCode::BadInput,
         R"(The pause "p" cannot be timed: the Duration field gives a duration of 0.)"},
        {"4d c16", [](MelodyFields&) {}, ErrorCode::BadInput,
         R"(The note "c16" gives the code 259, above 255: its octave is too high.)"},
        {"p c", [](MelodyFields& f) { f.octave = "-6"; }, ErrorCode::BadInput,
         R"(The note "c" gives the code -5, below 0: its octave is too low.)"},
        {"4c", [](MelodyFields& f) { f.tempo = "-140"; }, ErrorCode::BadInput,
         R"(The note "4c" gets a negative length (-52 units): the tempo and the duration must be positive.)"},
        {"1c",
         [](MelodyFields& f) {
             f.tempo = "50";
             f.staccato = "255.5";
         },
         ErrorCode::BadInput,
         R"(The staccato length 255.5 is too long to cut the note "1c": a tone lasts at most 255 units.)"},
        {"4c", [](MelodyFields& f) { f.delay = "255.5"; }, ErrorCode::BadInput,
         "The delay 255.5 is too long: a pause lasts at most 255 units."},
        {"4c", [](MelodyFields& f) { f.index = "2147483647.5"; }, ErrorCode::BadInput,
         "The index 2147483648 is outside 0 to 2147483647."},
        {"4c", [](MelodyFields& f) { f.index = "-1"; }, ErrorCode::BadInput,
         "The index -1 is outside 0 to 2147483647."},
        {"4c", [](MelodyFields& f) { f.name.assign(255, 'n'); }, ErrorCode::BadInput,
         "The name has 255 characters: a melody name holds at most 254."},
        {"4c", [](MelodyFields& f) { f.tempo = "0.0001"; }, ErrorCode::Limit,
         R"(The note "4c" lasts 72500000 units and needs 580000 commands of at most 125 units: a melody's tone data is limited to 65535 bytes.)"},
    };
    for (const auto& c : cases) {
        MelodyFields fields = Melody(c.notes);
        c.set(fields);
        for (const auto form : kForms) {
            const auto result = EncodeMelody(fields, form, std::nullopt);
            ASSERT_FALSE(result.record.has_value()) << c.message;
            EXPECT_EQ(result.record.error().code, c.code);
            EXPECT_EQ(result.record.error().message, c.message);
            EXPECT_FALSE(result.tokens.empty());
        }
    }
}

TEST(ToneEncoder, KeepsRecordFieldsAtTheirLimits) {
    MelodyFields fields = Melody("4c");
    fields.name.assign(254, 'n');
    fields.index = "2147483647";
    fields.id = "ABCDEF";
    const auto result = EncodeMelody(fields, TextFormat::Unicode, std::nullopt);
    ASSERT_TRUE(result.record.has_value());
    EXPECT_EQ(*formats::RecordIndex(*result.record), 2147483647);
    EXPECT_EQ(*formats::RecordId(*result.record), "ABCD");
    EXPECT_EQ(*formats::RecordDisplayName(*result.record, TextFormat::Unicode), fields.name);
    EXPECT_EQ(*formats::RecordLengthField(*result.record), static_cast<std::int32_t>(result.record->size()));
}

TEST(ToneEncoder, ReFilesRefuseAnAsciiNameThatWouldReadAsUnicode) {
    const struct {
        const char* name;
        TextFormat form;
        bool accepted;
    } cases[] = {{"\tTune", TextFormat::Ascii, false},
                 {"\x1FTune", TextFormat::Ascii, false},
                 {"\tTune", TextFormat::Unicode, true},
                 {" Tune", TextFormat::Ascii, true},
                 {"", TextFormat::Ascii, true}};
    for (const auto& c : cases) {
        MelodyFields fields = Melody("4c");
        fields.name = c.name;
        const auto result = EncodeReRecord(fields, c.form);
        EXPECT_EQ(c.accepted, result.record.has_value()) << c.name;
        if (result.record) {
            EXPECT_EQ(c.form, formats::DetectRecordFormat(*result.record)) << c.name;
        }
        // A preview still plays such a melody.
        EXPECT_TRUE(EncodeMelody(fields, c.form, std::nullopt).record.has_value());
    }
}

TEST(ToneEncoder, RefusesTheNoteThatPassesTheToneDataLimit) {
    std::string notes;
    for (int i = 0; i < 20000; ++i) {
        notes += "c ";  // 8B 1A and 40 02 each: passes 65535 bytes at the 16383rd note
    }
    const auto result = EncodeMelody(Melody(notes.c_str()), TextFormat::Ascii, std::nullopt);
    ASSERT_FALSE(result.record.has_value());
    EXPECT_EQ(result.record.error().code, formats::ErrorCode::Limit);
    EXPECT_EQ(result.record.error().message,
              R"(The melody is too long: its tone data passes 65535 bytes at the token "c".)");
}

class ToneEncoderFile : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("belltower-encoder-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }
    std::size_t FilesInFolder() const {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder_), {}));
    }
    std::filesystem::path folder_;
};

TEST_F(ToneEncoderFile, WritesTheCompleteRecordOverAnOldFile) {
    const auto path = folder_ / "a.re";
    ASSERT_TRUE(formats::WriteFileAtomic(path, Hex("01 02 03")));
    const auto result = EncodeMelodyFile(path, Melody("4c"), TextFormat::Ascii, std::nullopt);
    ASSERT_TRUE(result.Saved());
    EXPECT_BYTES_EQ(*result.encoded.record, *formats::ReadFileBytes(path));
    EXPECT_EQ(FilesInFolder(), 1u);
}

TEST_F(ToneEncoderFile, WritesNothingWhenTheEncodingFails) {
    MelodyFields fields = Melody("4c c16");
    const auto fresh = folder_ / "new.re";
    auto result = EncodeMelodyFile(fresh, fields, TextFormat::Ascii, std::nullopt);
    EXPECT_FALSE(result.Saved());
    EXPECT_EQ(result.Failure().code, formats::ErrorCode::BadInput);
    EXPECT_FALSE(std::filesystem::exists(fresh));

    const auto old = folder_ / "old.re";
    const Bytes oldBytes = Hex("DE AD BE EF 00");
    ASSERT_TRUE(formats::WriteFileAtomic(old, oldBytes));
    fields.tempo = "0";
    result = EncodeMelodyFile(old, fields, TextFormat::Unicode, std::nullopt);
    EXPECT_FALSE(result.Saved());
    EXPECT_BYTES_EQ(oldBytes, *formats::ReadFileBytes(old));
    EXPECT_EQ(FilesInFolder(), 1u);
}

TEST_F(ToneEncoderFile, ReportsTheSystemsReasonWhenTheFileCannotBeWritten) {
    const auto result = EncodeMelodyFile(folder_ / "missing" / "a.re", Melody("4c"), TextFormat::Ascii, std::nullopt);
    EXPECT_TRUE(result.encoded.record.has_value());
    ASSERT_FALSE(result.Saved());
    EXPECT_EQ(result.Failure().code, formats::ErrorCode::Io);
    EXPECT_NE(result.Failure().message.find("No such file"), std::string::npos) << result.Failure().message;
}

}  // namespace
}  // namespace belltower::melody
