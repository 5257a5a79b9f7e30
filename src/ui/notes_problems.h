// SPDX-License-Identifier: GPL-3.0-or-later
// The problems of the notes in words, for the line under the notes box: notes the chosen
// hardware cannot sound and tokens the notes language does not know (the encoder skips them
// without a word).
#pragma once

#include <QString>

#include <optional>
#include <string>

#include "melody/timeline.h"
#include "melody/tone_encoder.h"

namespace belltower::ui {

struct NotesProblems {
    // "2 notes out of the phone's range, 1 token ignored: zz"; empty when there is none.
    QString text;
    // Where the first problem stands in the notes text.
    std::optional<melody::TextRange> first;
};

// The problems of an encoding of the whole notes text (Latin-1 bytes) under a hardware.
NotesProblems FindNotesProblems(const std::string& notes, const melody::EncodeResult& encoded,
                                melody::Hardware hardware);

}  // namespace belltower::ui
