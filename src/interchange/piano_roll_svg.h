// SPDX-License-Identifier: GPL-3.0-or-later
// A melody as a piano-roll picture in SVG: time runs to the right with a ruler in seconds,
// pitch runs up with the note names on a keyboard strip, and every note is one bar.
//
// The drawing is plain SVG 1.1 that browsers and vector editors open. Scripts can read the
// notes from it: each note bar is a <rect class="note"> carrying
//   data-code          the tone code (decimal)
//   data-start         its start in duration units (1/120 s)
//   data-units         its length in duration units
//   data-out-of-range  the hardware choices under which the note is out of range, as
//                      lower-case words separated by blanks ("phone logomanager"), or empty
// Pauses get no bar. Vibration spans are drawn as <rect class="vibration"> under the ruler and
// tempo changes as <text class="tempo">.
#pragma once

#include <string>

#include "melody/timeline.h"

namespace belltower::interchange {

// The picture's scale.
inline constexpr double kRollPixelsPerSecond = 120;  // one pixel per duration unit
inline constexpr double kRollRowHeight = 12;         // one row per semitone

// The SVG document of a timeline. Notes out of range under `hardware` are drawn in the
// warning colour; `title` (the melody's name, UTF-8) heads the picture.
std::string WritePianoRollSvg(const melody::Timeline& timeline, const std::string& title,
                              melody::Hardware hardware = melody::Hardware::Phone);

}  // namespace belltower::interchange
