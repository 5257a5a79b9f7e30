// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/names.h"

#include <algorithm>

namespace belltower::formats {

Bytes UnicodeToAscii(ByteView bytes) {
    Bytes out;
    out.reserve(bytes.size());
    std::copy_if(bytes.begin(), bytes.end(), std::back_inserter(out), [](std::uint8_t b) { return b != 0; });
    return out;
}

Bytes AsciiToUnicode(ByteView bytes) {
    Bytes out;
    out.reserve(bytes.size() * 2);
    for (const std::uint8_t b : bytes) {
        out.push_back(0);
        out.push_back(b);
    }
    return out;
}

Bytes WidenIfUnicode(ByteView bytes, TextFormat bankFormat) {
    return bankFormat == TextFormat::Unicode ? AsciiToUnicode(bytes) : Bytes(bytes.begin(), bytes.end());
}

Bytes ToPrintable(ByteView bytes) {
    Bytes out(bytes.begin(), bytes.end());
    for (auto& b : out) {
        if (b < 32 || b == 255) {
            b = ' ';
        }
    }
    return out;
}

}  // namespace belltower::formats
