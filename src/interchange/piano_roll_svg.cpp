// SPDX-License-Identifier: GPL-3.0-or-later
#include "interchange/piano_roll_svg.h"

#include <cstdio>

#include "interchange/piano_roll_layout.h"

namespace belltower::interchange {
namespace {

constexpr double kMargin = PianoRollLayout::kMargin;

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    std::string shown = text;
    // 12.50 -> 12.5, 12.00 -> 12: shorter and as exact.
    while (shown.back() == '0') {
        shown.pop_back();
    }
    if (shown.back() == '.') {
        shown.pop_back();
    }
    return shown;
}

std::string Escaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            // Control characters are not allowed in XML 1.0.
            out += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
        }
    }
    return out;
}

bool IsBlackKey(std::uint8_t code) {
    return melody::NameOfCode(code).sharp;
}

std::string Opening(const PianoRollLayout& layout, double width, const std::string& title) {
    const double height = layout.Height();
    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" + Number(width) + "\" height=\"" +
           Number(height) + "\" viewBox=\"0 0 " + Number(width) + " " + Number(height) + "\">\n";
    svg += "<title>" + Escaped(title) + "</title>\n";
    svg += "<style>\n"
           "text { font-family: sans-serif; font-size: 9px; fill: #333; }\n"
           ".white { fill: #fafafa; } .black { fill: #e4e4e4; }\n"
           ".grid { stroke: #ccc; stroke-width: 0.5; }\n"
           ".note { fill: #3a72c4; stroke: #1d4580; stroke-width: 0.5; }\n"
           ".note.out { fill: #e8862a; stroke: #9a4c00; }\n"
           ".vibration { fill: #b47ad6; opacity: 0.5; }\n"
           ".tempo { fill: #2c7a2c; }\n"
           "</style>\n";
    svg +=
        "<rect x=\"0\" y=\"0\" width=\"" + Number(width) + "\" height=\"" + Number(height) + "\" fill=\"#ffffff\"/>\n";
    return svg;
}

// The keyboard strip and the rows behind the notes.
std::string Keyboard(const PianoRollLayout& layout, double width) {
    std::string svg = "<g class=\"keyboard\">\n";
    for (int code = layout.High(); code >= layout.Low(); --code) {
        const auto key = static_cast<std::uint8_t>(code);
        const std::string rowY = Number(layout.RowTop(key));
        svg += "<rect class=\"" + std::string(IsBlackKey(key) ? "black" : "white") + "\" x=\"" + Number(kMargin) +
               "\" y=\"" + rowY + "\" width=\"" + Number(width - 2 * kMargin) + "\" height=\"" +
               Number(layout.RowHeight()) + "\"/>\n";
        svg += "<text x=\"" + Number(kMargin + 2) + "\" y=\"" + Number(layout.RowTop(key) + layout.RowHeight() - 3) +
               "\">" + melody::NoteLabel(key) + "</text>\n";
    }
    return svg + "</g>\n";
}

// The ruler: a tick and a label every second, lines down through the rows; then the spans of
// vibration under it and the tempo changes.
std::string Ruler(const PianoRollLayout& layout, const melody::Timeline& timeline, double seconds) {
    std::string svg = "<g class=\"ruler\">\n";
    for (std::uint64_t second = 0; static_cast<double>(second) <= seconds; ++second) {
        const std::string tickX = Number(layout.X(second * formats::tone::kUnitsPerSecond));
        svg += "<line class=\"grid\" x1=\"" + tickX + "\" y1=\"" + Number(kMargin + 12) + "\" x2=\"" + tickX +
               "\" y2=\"" + Number(layout.Height() - kMargin) + "\"/>\n";
        svg += "<text x=\"" + tickX + "\" y=\"" + Number(kMargin + 9) + "\">" + std::to_string(second) + " s</text>\n";
    }
    svg += "</g>\n";
    for (const melody::UnitSpan& span : melody::VibrationSpans(timeline)) {
        svg += "<rect class=\"vibration\" x=\"" + Number(layout.X(span.start)) + "\" y=\"" + Number(kMargin + 13) +
               "\" width=\"" + Number(layout.X(span.end) - layout.X(span.start)) +
               "\" height=\"4\"><title>vibration</title></rect>\n";
    }
    for (const melody::TempoChange& change : melody::TempoChanges(timeline)) {
        svg += "<text class=\"tempo\" x=\"" + Number(layout.X(change.start) + 2) + "\" y=\"" + Number(kMargin + 25) +
               "\">" + Number(change.tempo) + " bpm</text>\n";
    }
    return svg;
}

std::string NoteBar(const PianoRollLayout& layout, const melody::TimedEvent& event, melody::Hardware hardware) {
    const bool out = melody::OutOfRange(event.code, hardware);
    std::string tip = melody::NoteLabel(event.code) + ", " + std::to_string(event.units) + " units (" +
                      Number(event.Seconds()) + " s)";
    if (out) {
        tip += ": out of range, it sounds as " + melody::NoteLabel(melody::kReplacementCode) + ", softly";
    }
    const RollBox box = layout.EventBox(event);
    return "<rect class=\"note" + std::string(out ? " out" : "") + "\" x=\"" + Number(box.x) + "\" y=\"" +
           Number(box.y + 1) + "\" width=\"" + Number(box.width) + "\" height=\"" + Number(box.height - 2) +
           "\" data-code=\"" + std::to_string(event.code) + "\" data-start=\"" + std::to_string(event.start) +
           "\" data-units=\"" + std::to_string(event.units) + "\" data-out-of-range=\"" +
           melody::OutOfRangeWords(event.code) + "\"><title>" + tip + "</title></rect>\n";
}

}  // namespace

std::string WritePianoRollSvg(const melody::Timeline& timeline, const std::string& title, melody::Hardware hardware) {
    const PianoRollLayout layout(timeline, kRollPixelsPerSecond / formats::tone::kUnitsPerSecond, kRollRowHeight);
    const double seconds = static_cast<double>(timeline.units) / formats::tone::kUnitsPerSecond;
    const double width = layout.Width(seconds);
    std::string svg = Opening(layout, width, title) + Keyboard(layout, width) + Ruler(layout, timeline, seconds);
    svg += "<g class=\"notes\">\n";
    for (const melody::TimedEvent& event : timeline.events) {
        if (!event.IsPause()) {
            svg += NoteBar(layout, event, hardware);
        }
    }
    svg += "</g>\n</svg>\n";
    return svg;
}

}  // namespace belltower::interchange
