// SPDX-License-Identifier: GPL-3.0-or-later
#include "melody/note_token.h"

#include "formats/text_value.h"

namespace belltower::melody {
namespace {

// Lower case for the Latin-1 texts of the edit fields.
char Lower(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= 'A' && byte <= 'Z') || (byte >= 0xC0 && byte <= 0xDE && byte != 0xD7)) {
        return static_cast<char>(byte + 0x20);
    }
    return c;
}

bool IsPrefixDigit(char c) {
    return c >= '1' && c <= '9';
}

// Removes `mark` from the front of `text` (from its back when `back`) when it stands there.
bool Take(std::string_view& text, char mark, bool back) {
    if (back ? !text.ends_with(mark) : !text.starts_with(mark)) {
        return false;
    }
    text = back ? text.substr(0, text.size() - 1) : text.substr(1);
    return true;
}

}  // namespace

std::vector<PlacedToken> TokenizeNotesPlaced(std::string_view notes) {
    std::vector<PlacedToken> tokens;
    PlacedToken current;
    for (std::size_t i = 0; i < notes.size(); ++i) {
        const char c = notes[i];
        if (c == ' ' || c == ',') {
            if (!current.text.empty()) {
                current.length = i - current.start;
                tokens.push_back(std::move(current));
                current = {};
            }
        } else {
            if (current.text.empty()) {
                current.start = i;
            }
            current.text += Lower(c);
        }
    }
    if (!current.text.empty()) {
        current.length = notes.size() - current.start;
        tokens.push_back(std::move(current));
    }
    return tokens;
}

std::vector<std::string> TokenizeNotes(std::string_view notes) {
    std::vector<std::string> tokens;
    for (PlacedToken& token : TokenizeNotesPlaced(notes)) {
        tokens.push_back(std::move(token.text));
    }
    return tokens;
}

std::optional<NoteToken> ReadNoteToken(std::string_view token) {
    NoteToken note;
    std::string_view rest = token;
    if (!rest.empty() && IsPrefixDigit(rest.front())) {
        const std::size_t digits = rest.size() > 1 && IsPrefixDigit(rest[1]) ? 2 : 1;
        note.fraction = formats::TextValue(rest.substr(0, digits));
        rest.remove_prefix(digits);
    }
    if (rest.empty()) {
        return std::nullopt;  // digits only: no letter
    }
    note.letter = rest.front();
    rest.remove_prefix(1);
    // Sharp and dot may stand before or after the octave ("8c#.6", "8c6#.").
    note.sharp = Take(rest, '#', false);
    note.dotted = Take(rest, '.', false);
    note.sharp = Take(rest, '#', true) || note.sharp;
    note.dotted = Take(rest, '.', true) || note.dotted;
    note.octaveText = rest;
    return note;
}

std::optional<double> PitchBase(char letter) {
    switch (letter) {
    case 'c':
        return 66;
    case 'd':
        return 68;
    case 'e':
        return 70;
    case 'f':
        return 71;
    case 'g':
        return 73;
    case 'a':
        return 75;
    case 'b':
    case 'h':
        return 77;
    default:
        return std::nullopt;
    }
}

}  // namespace belltower::melody
