#include "interchange/piano_roll_svg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace belltower::interchange {
namespace {

constexpr double kKeyboardWidth = 56;
constexpr double kRulerHeight = 28;
constexpr double kMargin = 8;
// Rows shown when a melody has no notes: the phone's own range.
constexpr std::uint8_t kDefaultLow = 0x7C;
constexpr std::uint8_t kDefaultHigh = 0xA2;

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

}  // namespace

std::string WritePianoRollSvg(const melody::Timeline& timeline, const std::string& title, melody::Hardware hardware) {
    std::uint8_t low = 0xFF;
    std::uint8_t high = 0;
    for (const melody::TimedEvent& event : timeline.events) {
        if (!event.IsPause()) {
            low = std::min(low, event.code);
            high = std::max(high, event.code);
        }
    }
    if (low > high) {
        low = kDefaultLow;
        high = kDefaultHigh;
    }
    const double seconds = static_cast<double>(timeline.units) / formats::tone::kUnitsPerSecond;
    const auto rows = static_cast<double>(high - low + 1);
    const double left = kMargin + kKeyboardWidth;
    const double top = kMargin + kRulerHeight;
    const double width = left + std::max(seconds, 1.0) * kRollPixelsPerSecond + kMargin;
    const double height = top + rows * kRollRowHeight + kMargin;
    const auto x = [left](std::uint64_t units) { return left + static_cast<double>(units); };
    const auto y = [top, high](std::uint8_t code) { return top + static_cast<double>(high - code) * kRollRowHeight; };

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

    // The keyboard strip and the rows behind the notes.
    svg += "<g class=\"keyboard\">\n";
    for (int code = high; code >= low; --code) {
        const auto key = static_cast<std::uint8_t>(code);
        const std::string rowY = Number(y(key));
        svg += "<rect class=\"" + std::string(IsBlackKey(key) ? "black" : "white") + "\" x=\"" + Number(kMargin) +
               "\" y=\"" + rowY + "\" width=\"" + Number(width - 2 * kMargin) + "\" height=\"" +
               Number(kRollRowHeight) + "\"/>\n";
        svg += "<text x=\"" + Number(kMargin + 2) + "\" y=\"" + Number(y(key) + kRollRowHeight - 3) + "\">" +
               melody::NoteLabel(key) + "</text>\n";
    }
    svg += "</g>\n";

    // The ruler: a tick and a label every second, lines down through the rows.
    svg += "<g class=\"ruler\">\n";
    for (std::uint64_t second = 0; static_cast<double>(second) <= seconds; ++second) {
        const std::string tickX = Number(x(second * formats::tone::kUnitsPerSecond));
        svg += "<line class=\"grid\" x1=\"" + tickX + "\" y1=\"" + Number(kMargin + 12) + "\" x2=\"" + tickX +
               "\" y2=\"" + Number(height - kMargin) + "\"/>\n";
        svg += "<text x=\"" + tickX + "\" y=\"" + Number(kMargin + 9) + "\">" + std::to_string(second) + " s</text>\n";
    }
    svg += "</g>\n";

    for (const melody::UnitSpan& span : melody::VibrationSpans(timeline)) {
        svg += "<rect class=\"vibration\" x=\"" + Number(x(span.start)) + "\" y=\"" + Number(kMargin + 13) +
               "\" width=\"" + Number(static_cast<double>(span.end - span.start)) + "\" height=\"4\"><title>vibration" +
               "</title></rect>\n";
    }
    for (const melody::TempoChange& change : melody::TempoChanges(timeline)) {
        svg += "<text class=\"tempo\" x=\"" + Number(x(change.start) + 2) + "\" y=\"" + Number(kMargin + 25) + "\">" +
               Number(change.tempo) + " bpm</text>\n";
    }

    svg += "<g class=\"notes\">\n";
    for (const melody::TimedEvent& event : timeline.events) {
        if (event.IsPause()) {
            continue;
        }
        const bool out = melody::OutOfRange(event.code, hardware);
        std::string tip = melody::NoteLabel(event.code) + ", " + std::to_string(event.units) + " units (" +
                          Number(event.Seconds()) + " s)";
        if (out) {
            tip += ": out of range, it sounds as " + melody::NoteLabel(melody::kReplacementCode) + ", softly";
        }
        svg += "<rect class=\"note" + std::string(out ? " out" : "") + "\" x=\"" + Number(x(event.start)) + "\" y=\"" +
               Number(y(event.code) + 1) + "\" width=\"" + Number(static_cast<double>(event.units)) + "\" height=\"" +
               Number(kRollRowHeight - 2) + "\" data-code=\"" + std::to_string(event.code) + "\" data-start=\"" +
               std::to_string(event.start) + "\" data-units=\"" + std::to_string(event.units) +
               "\" data-out-of-range=\"" + melody::OutOfRangeWords(event.code) + "\"><title>" + tip +
               "</title></rect>\n";
    }
    svg += "</g>\n</svg>\n";
    return svg;
}

}  // namespace belltower::interchange
