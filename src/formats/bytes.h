// SPDX-License-Identifier: GPL-3.0-or-later
// Byte strings: every file, chunk, record and name field Belltower handles is one.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace belltower::formats {

using Bytes = std::vector<std::uint8_t>;
using ByteView = std::span<const std::uint8_t>;

// Texts in the core are byte strings too: one char per byte, Latin-1 when shown.
inline Bytes ToBytes(std::string_view text) {
    return {text.begin(), text.end()};
}
inline std::string ToText(ByteView bytes) {
    return {bytes.begin(), bytes.end()};
}

inline void Append(Bytes& to, ByteView more) {
    to.insert(to.end(), more.begin(), more.end());
}

// The n bytes from offset, or fewer when the string ends first (none past the end).
inline ByteView Mid(ByteView bytes, std::size_t offset, std::size_t count) {
    if (offset >= bytes.size()) {
        return {};
    }
    return bytes.subspan(offset, std::min(count, bytes.size() - offset));
}

// The byte at a 0-based offset, or 0 past the end: the phone's own tools read short or damaged
// data this way, and so does every reader here that must never fail.
inline std::uint8_t ByteAt(ByteView bytes, std::size_t offset) {
    return offset < bytes.size() ? bytes[offset] : 0;
}

// The unsigned big-endian number in `width` (1..4) bytes from offset, most significant first;
// bytes past the end read as 0 (see ByteAt). Whether the bytes are there is the caller's check.
inline std::uint32_t BigEndianAt(ByteView bytes, std::size_t offset, std::size_t width = 4) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < width; ++i) {
        value = (value << 8) | ByteAt(bytes, offset + i);
    }
    return value;
}

}  // namespace belltower::formats
