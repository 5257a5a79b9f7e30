// SPDX-License-Identifier: GPL-3.0-or-later
// The piano-roll picture: one bar per note with the data scripts read, pitch up, time across.
#include "interchange/piano_roll_svg.h"

#include <gtest/gtest.h>

#include "support/hex.h"

namespace belltower::interchange {
namespace {

std::size_t Count(const std::string& svg, const std::string& part) {
    std::size_t count = 0;
    for (auto at = svg.find(part); at != std::string::npos; at = svg.find(part, at + 1)) {
        ++count;
    }
    return count;
}

TEST(PianoRollSvg, DrawsEachNoteAsABarScriptsCanRead) {
    // Vibration on; a4 for one second; a pause; c4, then a note above the phone's range.
    const melody::Timeline timeline = melody::BuildTimeline(testing::Hex("0A 01 7C 78 40 3C 0A FE 73 3C A3 1E A3 1E"));
    const std::string svg = WritePianoRollSvg(timeline, "Tom & \"Jerry\"", melody::Hardware::Phone);
    // x: keyboard strip 56 + margin 8, one pixel per unit; y: rows of 12 from c8 (0xA3) at the
    // top, under the 36 of margin and ruler. The pause has no bar; the two pieces of c8 are one.
    for (const char* part :
         {R"(<rect class="note" x="64" y="505" width="120" height="10" data-code="124" data-start="0" )"
          R"(data-units="120" data-out-of-range=""><title>a4, 120 units (1 s)</title></rect>)",
          R"(<rect class="note out" x="244" y="613" width="60" height="10" data-code="115" data-start="180" )"
          R"(data-units="60" data-out-of-range="phone"><title>c4, 60 units (0.5 s): out of range, it sounds as )"
          R"(a6, softly</title></rect>)",
          R"(<rect class="note out" x="304" y="37" width="60" height="10" data-code="163" data-start="240" )"
          R"(data-units="60" data-out-of-range="phone logomanager"><title>c8, 60 units (0.5 s): out of range)",
          R"(<rect class="vibration" x="64" y="21" width="180" height="4">)",  // the note and the pause after it
          ">c4</text>", ">a4</text>", ">a#7</text>", ">0 s</text>", ">2 s</text>",
          "<title>Tom &amp; &quot;Jerry&quot;</title>"}) {
        EXPECT_NE(svg.find(part), std::string::npos) << part;
    }
    EXPECT_EQ(Count(svg, "<rect class=\"note"), 3U);
    EXPECT_EQ(Count(svg, ">3 s</text>"), 0U);
    // One keyboard row per semitone from c4 to c8.
    EXPECT_EQ(Count(svg, "<rect class=\"white\"") + Count(svg, "<rect class=\"black\""), 0xA3U - 0x73 + 1);
    // Without a hardware chosen, nothing is out of range; the flashing tool's range is wider.
    EXPECT_EQ(Count(WritePianoRollSvg(timeline, "", melody::Hardware::None), "class=\"note out\""), 0U);
    EXPECT_EQ(Count(WritePianoRollSvg(timeline, "", melody::Hardware::LogoManager), "class=\"note out\""), 1U);
}

}  // namespace
}  // namespace belltower::interchange
