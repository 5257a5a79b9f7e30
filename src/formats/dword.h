// SPDX-License-Identifier: GPL-3.0-or-later
// Big-endian dword fields: every multi-byte number in firmware images and melody records.
//
//   offset  size  meaning
//   0       1     bits 31..24
//   1       1     bits 23..16
//   2       1     bits 15..8
//   3       1     bits 7..0
//
// The phone's tools treat these fields as signed 32-bit numbers, so the usable range is
// 0..2147483647 (first byte 0x00..0x7F). Numbers outside it are never written.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "formats/bytes.h"
#include "formats/result.h"

namespace belltower::formats {

inline constexpr std::int64_t kMaxDword = 2147483647;

// Thrown when DwordToNumber is handed other than four bytes: a programming error, never a
// consequence of file contents (untrusted bytes go through ReadDwordField). The desktop
// program shows kDwordInternalErrorText with the offending bytes as title, then ends.
class DwordLengthError : public std::logic_error {
public:
    explicit DwordLengthError(Bytes offending);
    const Bytes& offending() const { return offending_; }

private:
    Bytes offending_;
};

inline constexpr const char* kDwordInternalErrorText =  // UTF-8
    "Vážná vnitřní chyba: Do procedury pro převod z dWord na číslo pronikl řetězec jiné délky než 4B!";

// Four bytes, most significant first. Throws std::out_of_range for a negative number or
// one above kMaxDword: callers validate user values before they get here.
Bytes NumberToDword(std::int64_t number);

// The number in exactly four bytes (signed 32-bit reading). Throws DwordLengthError
// for any other length.
std::int32_t DwordToNumber(ByteView fourBytes);

// The dword field at a 0-based offset of untrusted data. Fails with DamagedData when the
// field does not lie wholly inside the data or its first byte is 0x80 or more; `what`
// names the field in the message ("record length at byte 4").
Result<std::int32_t> ReadDwordField(ByteView data, std::size_t offset, const std::string& what);

}  // namespace belltower::formats
