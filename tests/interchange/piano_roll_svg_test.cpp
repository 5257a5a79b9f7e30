// The piano-roll picture: one bar per note with the data scripts read, pitch up, time across.
#include <gtest/gtest.h>

#include <map>
#include <regex>

#include "interchange/piano_roll_svg.h"
#include "support/hex.h"

namespace belltower::interchange {
namespace {

// The attributes of every element of a kind whose class starts with `cls`, in document order.
std::vector<std::map<std::string, std::string>> Elements(const std::string& svg, const std::string& tag,
                                                         const std::string& cls) {
    std::vector<std::map<std::string, std::string>> found;
    const std::regex element("<" + tag + " class=\"" + cls + "[^\"]*\"([^>]*)>");
    const std::regex attribute("([a-z0-9-]+)=\"([^\"]*)\"");
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), element); it != std::sregex_iterator(); ++it) {
        std::map<std::string, std::string> attributes{{"class", (*it)[0].str()}};
        const std::string rest = (*it)[1].str();
        for (auto a = std::sregex_iterator(rest.begin(), rest.end(), attribute); a != std::sregex_iterator(); ++a) {
            attributes[(*a)[1].str()] = (*a)[2].str();
        }
        found.push_back(attributes);
    }
    return found;
}

TEST(PianoRollSvg, DrawsEachNoteAsABarScriptsCanRead) {
    // Vibration on; a4 for one second; a pause; c4, then a note above the phone's range.
    const melody::Timeline timeline = melody::BuildTimeline(testing::Hex("0A 01 7C 78 40 3C 0A FE 73 3C A3 1E A3 1E"));
    const std::string svg = WritePianoRollSvg(timeline, "Tom & \"Jerry\"", melody::Hardware::Phone);

    // code start units out-of-range x y; x: keyboard strip 56 + margin 8, one pixel per unit;
    // y: rows of 12 from c8 (0xA3) at the top, under the 36 of margin and ruler
    const char* const want[] = {"note 124 0 120 [] 64 505", "note out 115 180 60 [phone] 244 613",
                                "note out 163 240 60 [phone logomanager] 304 37"};  // two pieces, one bar
    const auto notes = Elements(svg, "rect", "note");
    ASSERT_EQ(notes.size(), std::size(want));
    for (std::size_t i = 0; i < notes.size(); ++i) {
        const auto& note = notes[i];
        EXPECT_EQ(note.at("width"), note.at("data-units"));
        const std::string cls = note.at("class").find("note out") != std::string::npos ? "note out" : "note";
        EXPECT_EQ(cls + " " + note.at("data-code") + " " + note.at("data-start") + " " + note.at("data-units") + " [" +
                      note.at("data-out-of-range") + "] " + note.at("x") + " " + note.at("y"),
                  want[i]);
    }

    const auto vibration = Elements(svg, "rect", "vibration");
    ASSERT_EQ(vibration.size(), 1U);
    EXPECT_EQ(vibration[0].at("x"), "64");
    EXPECT_EQ(vibration[0].at("width"), "180");  // the note and the pause after it

    // One keyboard row per semitone from c4 to c8, named; a ruler mark per second.
    EXPECT_EQ(Elements(svg, "rect", "white").size() + Elements(svg, "rect", "black").size(), 0xA3U - 0x73 + 1);
    for (const char* text : {">c4</text>", ">a4</text>", ">a#7</text>", ">0 s</text>", ">2 s</text>",
                             "<title>Tom &amp; &quot;Jerry&quot;</title>", "it sounds as a6, softly"}) {
        EXPECT_NE(svg.find(text), std::string::npos) << text;
    }
    EXPECT_EQ(svg.find(">3 s</text>"), std::string::npos);
    // Without a hardware chosen, nothing is out of range; the flashing tool's range is wider.
    EXPECT_EQ(WritePianoRollSvg(timeline, "", melody::Hardware::None).find("note out"), std::string::npos);
    const std::string tool = WritePianoRollSvg(timeline, "", melody::Hardware::LogoManager);
    EXPECT_EQ(Elements(tool, "rect", "note out").size(), 1U);
}

}  // namespace
}  // namespace belltower::interchange
