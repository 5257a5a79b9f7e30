// Byte strings: every file, chunk, record and name field Belltower handles is one.
#pragma once

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
    return Bytes(text.begin(), text.end());
}
inline std::string ToText(ByteView bytes) {
    return std::string(bytes.begin(), bytes.end());
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

}  // namespace belltower::formats
