// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/dword.h"

namespace belltower::formats {

DwordLengthError::DwordLengthError(Bytes offending)
    : std::logic_error(kDwordInternalErrorText), offending_(std::move(offending)) {}

Bytes NumberToDword(std::int64_t number) {
    if (number < 0 || number > kMaxDword) {
        throw std::out_of_range("NumberToDword: " + std::to_string(number) + " is outside 0..2147483647");
    }
    const auto value = static_cast<std::uint32_t>(number);
    return Bytes{static_cast<std::uint8_t>(value >> 24), static_cast<std::uint8_t>(value >> 16),
                 static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
}

std::int32_t DwordToNumber(ByteView fourBytes) {
    if (fourBytes.size() != 4) {
        throw DwordLengthError(Bytes(fourBytes.begin(), fourBytes.end()));
    }
    return static_cast<std::int32_t>(BigEndianAt(fourBytes, 0));
}

Result<std::int32_t> ReadDwordField(ByteView data, std::size_t offset, const std::string& what) {
    if (offset > data.size() || data.size() - offset < 4) {
        return MakeError(ErrorCode::DamagedData,
                         "The " + what + " is cut off: the data ends after " + std::to_string(data.size()) + " bytes.");
    }
    if (data[offset] >= 0x80) {
        return MakeError(ErrorCode::DamagedData, "The " + what + " holds a number above 2147483647.");
    }
    return static_cast<std::int32_t>(BigEndianAt(data, offset));
}

}  // namespace belltower::formats
