// SPDX-License-Identifier: GPL-3.0-or-later
#include "interchange/piano_roll_layout.h"

#include <algorithm>

#include "formats/tone_commands.h"

namespace belltower::interchange {

namespace tone = formats::tone;

PianoRollLayout::PianoRollLayout(const melody::Timeline& timeline, double pixelsPerUnit, double rowHeight)
    : pixelsPerUnit_(pixelsPerUnit), rowHeight_(rowHeight) {
    for (const melody::TimedEvent& event : timeline.events) {
        if (!event.IsPause()) {
            low_ = std::min(low_, event.code);
            high_ = std::max(high_, event.code);
        }
    }
    if (low_ > high_) {
        low_ = tone::kPhoneLowestNote;
        high_ = tone::kHighestSoundedNote;
    }
}

double PianoRollLayout::XAtSeconds(double seconds) const {
    return Left() + seconds * tone::kUnitsPerSecond * pixelsPerUnit_;
}

RollBox PianoRollLayout::EventBox(const melody::TimedEvent& event) const {
    const double left = X(event.start);
    return {left, RowTop(event.code), X(event.start + event.units) - left, rowHeight_};
}

double PianoRollLayout::Width(double seconds) const {
    return XAtSeconds(std::max(seconds, 1.0)) + kMargin;
}

double PianoRollLayout::RowHeightToFill(double height, double rows) {
    return (height - kMargin - kRulerHeight - kMargin) / rows;
}

}  // namespace belltower::interchange
