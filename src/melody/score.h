// SPDX-License-Identifier: GPL-3.0-or-later
// The typed melody: ringtone text as it means, settings as numbers and the notes text as a list
// of items. Every melody format reads into a Score and writes from one; the ringtone-text reader
// (ReadScore) and writer (WriteNotes and the token writers) are the only places where note
// tokens are read or produced (see tone_encoder.h for the note language).
//
// A Score read from the edit fields encodes to exactly the bytes the fields encode to: the
// settings keep the double values the fields read as, a note keeps its octave as the number
// its text gives, and every token the encoder ignores is kept as an item of its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "melody/melody_fields.h"
#include "melody/timeline.h"

namespace belltower::melody {

// The settings of the edit fields as numbers (each field read with formats::TextValue).
struct ScoreSettings {
    std::string name;
    double duration = 8;  // default note fraction
    double octave = 6;    // default octave
    double tempo = 140;   // beats per minute
    double staccato = 0;  // a note longer than this many units sounds for this many, when > 0
    double delay = 1;     // trailing silence in duration units
    std::string id;       // four-character ID
    double index = 1;     // melody index
    bool playTwice = false;
    bool forceOnePlay = false;
    bool noSmallPauses = false;

    friend bool operator==(const ScoreSettings&, const ScoreSettings&) = default;
};

enum class ItemKind {
    Note,       // letter, sharp, fraction, dotted, octave
    Pause,      // letter ('p' or '-'), fraction, dotted
    Tempo,      // t<number>: tempo > 0 from here on
    Vibration,  // v0 / v1
    Other,      // a token the encoder ignores, kept as text
};

struct ScoreItem {
    ItemKind kind = ItemKind::Other;
    char letter = 0;               // note c d e f g a b h, pause p or -; lower case
    bool sharp = false;            // note only
    std::optional<int> fraction;   // the duration prefix (1-9 or two such digits); none: default
    bool dotted = false;           // x1.5
    std::optional<double> octave;  // note only, > 0; none: the default octave
    double tempo = 0;              // Tempo: beats per minute, > 0
    bool vibrationOn = false;      // Vibration
    std::string text;              // the token as typed (Other: what is kept); may be empty
    TextRange range;               // where the token stands in the notes text, when read

    friend bool operator==(const ScoreItem&, const ScoreItem&) = default;

    static ScoreItem Note(char letter, bool sharp, std::optional<int> fraction, bool dotted,
                          std::optional<double> octave);
    static ScoreItem Pause(std::optional<int> fraction, bool dotted);
    static ScoreItem TempoChange(double tempo);
    static ScoreItem VibrationSwitch(bool on);
    static ScoreItem Unread(std::string text);
};

struct Score {
    ScoreSettings settings;
    std::vector<ScoreItem> items;

    friend bool operator==(const Score&, const Score&) = default;
};

// The settings of the edit fields read as numbers.
ScoreSettings ReadSettings(const MelodyFields& fields);

// The part of the notes text a selection covers: all of it without a selection or with an empty
// one, nothing when it starts past the end, else cut at the end.
std::string_view SelectedNotes(std::string_view notes, std::optional<NotesSelection> selection);

// The fields as a Score. With a selection of at least one character only that part of the notes
// text is read (a selection running past the end is cut there); item ranges always count from
// the start of the whole notes text.
Score ReadScore(const MelodyFields& fields, std::optional<NotesSelection> selection = std::nullopt);

// Ringtone text (see rtx_text.h) read over the default fields, as a Score.
Score ReadScoreText(std::string_view fileText);

// One item as a token of the notes text: "8c#6.", "4p", "t125", "v1"; an Other item's text.
std::string WriteToken(const ScoreItem& item);

// The items as a notes text, tokens separated by one blank.
std::string WriteNotes(const Score& score);

// The Score as edit fields: numbers in their shortest exact text, the notes by WriteNotes.
MelodyFields WriteFields(const Score& score);

// The shortest text that formats::TextValue reads back as the same double ("140", "0.01"): how
// the edit fields and tokens write a number. Messages write numbers with formats::NumberText.
std::string ExactNumberText(double value);

// The note code a Note item sounds (base + 1 + 12 x octave, +1 when sharp, before rounding),
// with the default octave for a note that names none; nullopt for any other item.
std::optional<double> NoteCode(const ScoreItem& item, double defaultOctave);

// The length in duration units the encoder gives a Note or Pause item of this fraction at this
// tempo: 29000 / (fraction x tempo), x1.5 when dotted, rounded half to even, at least 1.
double NoteUnits(double fraction, bool dotted, double tempo);

}  // namespace belltower::melody
