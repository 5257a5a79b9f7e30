// SPDX-License-Identifier: GPL-3.0-or-later
// Where everything of a piano roll stands: one layout for the window's view and the SVG
// picture, which differ only in how they paint it.
//
//   x: margin | keyboard strip | time, pixelsPerUnit pixels a duration unit (1/120 s) | margin
//   y: margin | ruler | one row per semitone, rowHeight pixels, the highest note on top | margin
//
// The rows run from the lowest to the highest note the melody plays; a melody without notes
// shows the phone's range. Pixels are doubles; the painter rounds.
#pragma once

#include <cstdint>

#include "melody/timeline.h"

namespace belltower::interchange {

struct RollBox {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
};

class PianoRollLayout {
public:
    static constexpr double kMargin = 8;
    static constexpr double kKeyboardWidth = 56;
    static constexpr double kRulerHeight = 28;

    // pixelsPerUnit: the time scale; rowHeight: the height of one semitone's row.
    PianoRollLayout(const melody::Timeline& timeline, double pixelsPerUnit, double rowHeight);

    std::uint8_t Low() const { return low_; }
    std::uint8_t High() const { return high_; }
    double Rows() const { return static_cast<double>(high_ - low_ + 1); }
    double PixelsPerUnit() const { return pixelsPerUnit_; }
    double RowHeight() const { return rowHeight_; }

    // Where time starts (the right edge of the keyboard strip) and where the rows start.
    static double Left() { return kMargin + kKeyboardWidth; }
    static double Top() { return kMargin + kRulerHeight; }
    // The x of a moment, in duration units or in seconds from the start.
    double X(std::uint64_t units) const { return Left() + static_cast<double>(units) * pixelsPerUnit_; }
    double XAtSeconds(double seconds) const;
    double RowTop(std::uint8_t code) const { return Top() + static_cast<double>(high_ - code) * rowHeight_; }
    // The row and time span of an event (a pause has a box too; it is not drawn).
    RollBox EventBox(const melody::TimedEvent& event) const;
    // The whole picture for a melody of `seconds`, at least a second wide.
    double Width(double seconds) const;
    double Height() const { return Top() + Rows() * rowHeight_ + kMargin; }

    // The row height that fits `rows` rows under the ruler into `height` pixels.
    static double RowHeightToFill(double height, double rows);

private:
    std::uint8_t low_ = 0xFF;  // no note yet: the row range is empty
    std::uint8_t high_ = 0;
    double pixelsPerUnit_;
    double rowHeight_;
};

}  // namespace belltower::interchange
