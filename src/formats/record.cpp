// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/record.h"

#include <algorithm>

#include "formats/dword.h"
#include "formats/tone_commands.h"

namespace belltower::formats {
namespace {

bool ContainsPair(ByteView bytes, std::uint8_t first, std::uint8_t second) {
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
        if (bytes[i] == first && bytes[i + 1] == second) {
            return true;
        }
    }
    return false;
}

}  // namespace

TextFormat DetectRecordFormat(ByteView record) {
    const std::uint8_t b16 = ByteAt(record, 16);
    const std::uint8_t b17 = ByteAt(record, 17);
    return (b16 == 0 || (b17 >= 1 && b17 <= 31)) ? TextFormat::Unicode : TextFormat::Ascii;
}

Result<std::size_t> RecordNameLength(ByteView record, TextFormat format) {
    const std::size_t u = UnicodeOffset(format);
    const auto field = ReadDwordField(record, 13 + u, "name-length field of the melody record");
    if (!field) {
        return field.error();
    }
    if (record[16 + u] == 0) {
        return MakeError(ErrorCode::DamagedData, "The melody record has a name-length byte of 0.");
    }
    const auto length = static_cast<std::size_t>((*field - 1) % 256);
    const std::size_t nameEnd = 17 + u + length * (1 + u);
    if (nameEnd > record.size()) {
        return MakeError(ErrorCode::DamagedData, "The melody record ends inside its name: it has " +
                                                     std::to_string(record.size()) + " bytes, the name needs " +
                                                     std::to_string(nameEnd) + ".");
    }
    return length;
}

Result<Bytes> RecordNameBytes(ByteView record, TextFormat format) {
    const auto length = RecordNameLength(record, format);
    if (!length) {
        return length.error();
    }
    const std::size_t u = UnicodeOffset(format);
    const auto name = record.subspan(17 + u, *length * (1 + u));
    return Bytes(name.begin(), name.end());
}

Result<std::string> RecordDisplayName(ByteView record, TextFormat format) {
    const auto name = RecordNameBytes(record, format);
    if (!name) {
        return name.error();
    }
    return ToText(UnicodeToAscii(*name));
}

Result<Bytes> RecordTail(ByteView record, TextFormat format) {
    const auto length = RecordNameLength(record, format);
    if (!length) {
        return length.error();
    }
    const std::size_t u = UnicodeOffset(format);
    const auto tail = record.subspan(17 + u + *length * (1 + u));
    return Bytes(tail.begin(), tail.end());
}

Result<std::int32_t> RecordIndex(ByteView record) {
    return ReadDwordField(record, 0, "index of the melody record");
}

Result<std::int32_t> RecordLengthField(ByteView record) {
    return ReadDwordField(record, 4, "length field of the melody record");
}

bool IsWholeRecord(ByteView bytes) {
    constexpr std::size_t kLengthFieldEnd = 8;
    return bytes.size() >= kLengthFieldEnd && BigEndianAt(bytes, 4) == bytes.size();
}

Result<std::string> RecordId(ByteView record) {
    if (record.size() < 12) {
        return MakeError(ErrorCode::DamagedData, "The melody record is too short to hold its ID.");
    }
    return ToText(record.subspan(8, 4));
}

Result<std::uint8_t> RecordPurpose(ByteView record) {
    if (record.size() < 17) {
        return MakeError(ErrorCode::DamagedData, "The melody record is too short to hold its purpose.");
    }
    return record[16];
}

int RecordPlayMode(ByteView record) {
    const std::size_t start = record.size() > 11 ? record.size() - 11 : 0;
    const ByteView window = record.subspan(start);
    const int once = ContainsPair(window, tone::kVibration, tone::kPlayOnce) ? 1 : 0;
    const int twice = ContainsPair(window, tone::kVibration, tone::kPlayTwice) ? 1 : 0;
    return 2 * twice + once;
}

std::string_view PlayModeText(int playMode) {
    switch (playMode) {
    case 1:
        return "Preview once, rings infinitely";
    case 2:
        return "Preview twice";
    case 3:
        return "Rings always once.";
    default:
        return "Ringing and preview infinite";
    }
}

Bytes StripFill(ByteView bytes) {
    std::size_t end = bytes.size();
    while (end > 0 && bytes[end - 1] == 0xFF) {
        --end;
    }
    return {bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(end)};
}

Bytes AddFill(ByteView bytes) {
    Bytes out(bytes.begin(), bytes.end());
    while (out.size() % 4 != 0) {
        out.push_back(0xFF);
    }
    return out;
}

Result<Bytes> BuildRecord(std::int64_t index, std::string_view idText, std::string_view nameText, ByteView tail,
                          std::optional<std::int64_t> purpose, TextFormat format) {
    if (index < 0 || index > kMaxDword) {
        return MakeError(ErrorCode::BadInput, "The index must be a whole number from 0 to 2147483647.");
    }
    if (purpose && (*purpose < 0 || *purpose > 255)) {
        return MakeError(ErrorCode::BadInput, "The purpose must be a whole number from 0 to 255.");
    }
    if (nameText.size() > kMaxNameLength) {
        return MakeError(ErrorCode::BadInput, "The name is too long: a melody name holds at most 254 characters.");
    }
    const std::size_t u = UnicodeOffset(format);
    const Bytes name = WidenIfUnicode(ToBytes(nameText), format);
    const Bytes strippedTail = StripFill(tail);

    Bytes record = NumberToDword(index);
    record.resize(record.size() + 4);  // the length, set below
    std::string id(idText);
    id += "    ";
    Append(record, ToBytes(std::string_view(id).substr(0, 4)));
    record.push_back(0);
    if (u == 1) {
        record.push_back(0);
    }
    Append(record, NumberToDword(static_cast<std::int64_t>(nameText.size()) + 1));
    Append(record, name);
    Append(record, strippedTail);
    record = AddFill(record);
    SetRecordLength(record);
    if (u == 1 && purpose) {
        record[16] = static_cast<std::uint8_t>(*purpose);
    }
    return record;
}

void SetRecordLength(Bytes& record) {
    const Bytes length = NumberToDword(static_cast<std::int64_t>(record.size()));
    std::copy(length.begin(), length.end(), record.begin() + 4);
}

}  // namespace belltower::formats
