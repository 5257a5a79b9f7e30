// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/message_text.h"

#include <cmath>
#include <iomanip>
#include <locale>
#include <sstream>

#include "formats/names.h"

namespace belltower::formats {

// Streams rather than printf into a buffer: the text is as long as it needs to be, and the
// classic locale keeps the point a point whatever the user's settings.
std::string NumberText(double value) {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 1e15) {
        out << std::fixed << std::setprecision(0) << value;  // printf's %.0f
    } else {
        out << std::setprecision(10) << value;  // printf's %.10g
    }
    return out.str();
}

std::string HexByte(std::uint8_t value) {
    std::ostringstream out;
    out << std::uppercase << std::hex << std::setfill('0') << std::setw(2) << unsigned{value};
    return out.str();
}

std::string HexOffset(std::size_t offset) {
    std::ostringstream out;
    out << "0x" << std::uppercase << std::hex << offset;
    return out.str();
}

std::string QuotedToken(std::string_view token) {
    return '"' + ToText(ToPrintable(ToBytes(token))) + '"';
}

}  // namespace belltower::formats
