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

    const struct {
        const char* code;
        const char* start;
        const char* units;
        const char* outOfRange;
        const char* x;  // keyboard strip 56 + margin 8, one pixel per unit
        const char* y;  // rows of 12 from c8 (0xA3) at the top, under the 36 of margin and ruler
        bool warning;
    } table[] = {
        {"124", "0", "120", "", "64", "505", false},
        {"115", "180", "60", "phone", "244", "613", true},
        {"163", "240", "60", "phone logomanager", "304", "37", true},  // two pieces, one bar
    };
    const auto notes = Elements(svg, "rect", "note");
    ASSERT_EQ(notes.size(), std::size(table));
    for (std::size_t i = 0; i < notes.size(); ++i) {
        const auto& note = notes[i];
        const auto& want = table[i];
        EXPECT_EQ(note.at("data-code"), want.code) << i;
        EXPECT_EQ(note.at("data-start"), want.start) << i;
        EXPECT_EQ(note.at("data-units"), want.units) << i;
        EXPECT_EQ(note.at("data-out-of-range"), want.outOfRange) << i;
        EXPECT_EQ(note.at("x"), want.x) << i;
        EXPECT_EQ(note.at("width"), want.units) << i;
        EXPECT_EQ(note.at("y"), want.y) << i;
        EXPECT_EQ(note.at("class").find("note out") != std::string::npos, want.warning) << i;
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
}

TEST(PianoRollSvg, ColoursOnlyWhatTheChosenHardwareCannotPlay) {
    const melody::Timeline timeline = melody::BuildTimeline(testing::Hex("73 3C A3 3C"));
    const struct {
        melody::Hardware hardware;
        std::size_t warnings;
    } table[] = {{melody::Hardware::None, 0}, {melody::Hardware::Phone, 2}, {melody::Hardware::LogoManager, 1}};
    for (const auto& row : table) {
        const std::string svg = WritePianoRollSvg(timeline, "", row.hardware);
        std::size_t warnings = 0;
        for (const auto& note : Elements(svg, "rect", "note")) {
            warnings += note.at("class").find("note out") != std::string::npos ? 1U : 0U;
        }
        EXPECT_EQ(warnings, row.warnings) << static_cast<int>(row.hardware);
    }
}

}  // namespace
}  // namespace belltower::interchange
