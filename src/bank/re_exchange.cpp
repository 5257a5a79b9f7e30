// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/re_exchange.h"

#include <utility>

#include "bank/list_operations.h"
#include "formats/dword.h"
#include "formats/record.h"

namespace belltower::bank {
namespace {

using formats::ErrorCode;
using formats::MakeError;
using formats::Result;

formats::Error Damaged(std::string message) {
    return MakeError(ErrorCode::DamagedData, std::move(message));
}

void AppendRange(Bytes& to, ByteView from, std::size_t begin, std::size_t end) {
    formats::Append(to, from.subspan(begin, end - begin));
}

Bytes Finish(Bytes record) {
    record = formats::AddFill(record);
    formats::SetRecordLength(record);
    return record;
}

// Converts a record to the other format: `convert` gets the record without its fill and the
// size of its name in bytes, once the record is found to hold its header of `header` bytes
// (the last gives the name's length plus 1), the name of `width` bytes a character and the
// first byte of the terminator after it.
template <typename Convert>
Result<Bytes> ConvertNamedRecord(ByteView record, std::size_t header, std::size_t width, Convert convert) {
    const Bytes s = formats::StripFill(record);
    if (s.size() < header) {
        return Damaged("The melody record is too short to convert: it has " + std::to_string(s.size()) +
                       " bytes without fill, its header needs " + std::to_string(header) + ".");
    }
    if (s[header - 1] == 0) {
        return Damaged("The melody record has a name-length byte of 0.");
    }
    const std::size_t nameBytes = std::size_t{s[header - 1] - 1u} * width;
    if (s.size() <= header + nameBytes) {
        return Damaged("The melody record ends before the terminator of its " + std::to_string(nameBytes / width) +
                       "-character name.");
    }
    return convert(s, nameBytes);
}

}  // namespace

Result<Bytes> RecordToUnicode(ByteView asciiRecord) {
    return ConvertNamedRecord(asciiRecord, 17, 1, [](const Bytes& s, std::size_t nameLength) -> Result<Bytes> {
        Bytes out;
        out.reserve(s.size() + nameLength + 5);
        AppendRange(out, s, 0, 13);
        out.push_back(0);
        AppendRange(out, s, 13, 17);  // name-length dword; its third byte becomes the purpose
        formats::Append(out, formats::AsciiToUnicode(ByteView(s).subspan(17, nameLength)));
        out.push_back(0);  // widens the terminator that starts the tail
        AppendRange(out, s, 17 + nameLength, s.size());
        return Finish(std::move(out));
    });
}

Result<Bytes> RecordToAscii(ByteView unicodeRecord) {
    return ConvertNamedRecord(unicodeRecord, 18, 2, [](const Bytes& s, std::size_t nameBytes) -> Result<Bytes> {
        const Bytes name = formats::UnicodeToAscii(ByteView(s).subspan(18, nameBytes));
        if (name.size() != nameBytes / 2) {
            return MakeError(ErrorCode::BadInput,
                             "The melody's name has characters that the ASCII format cannot hold, so it cannot be "
                             "converted.");
        }
        Bytes out;
        out.reserve(s.size());
        AppendRange(out, s, 0, 13);
        AppendRange(out, s, 14, 18);
        formats::Append(out, name);
        AppendRange(out, s, 19 + nameBytes, s.size());  // the second terminator byte stays
        out[15] = 0;                                    // the old purpose
        return Finish(std::move(out));
    });
}

Result<Bytes> ConvertRecord(ByteView record, formats::TextFormat wanted) {
    if (formats::DetectRecordFormat(record) == wanted) {
        return Bytes(record.begin(), record.end());
    }
    return wanted == formats::TextFormat::Unicode ? RecordToUnicode(record) : RecordToAscii(record);
}

Result<void> ValidateReFile(ByteView file) {
    const auto length = formats::ReadDwordField(file, 4, "record length");
    if (!length || static_cast<std::size_t>(*length) != file.size()) {
        return Damaged(std::string(kNotValidReFile));
    }
    return {};
}

Result<Bytes> RecordFromReFile(ByteView file, formats::TextFormat bankFormat) {
    if (auto valid = ValidateReFile(file); !valid) {
        return valid.error();
    }
    auto record = ConvertRecord(file, bankFormat);
    if (!record) {
        return record.error();
    }
    if (auto line = CheckRecordForBank(*record, bankFormat); !line) {
        return line.error();
    }
    return record;
}

Result<Selection> ReplaceFromRe(ToneBank& bank, Selection selected, ByteView file) {
    if (!selected || *selected >= bank.Count()) {
        return Selection{};
    }
    const auto record = RecordFromReFile(file, bank.UnicodeNames);
    if (!record) {
        return record.error();
    }
    return Replace(bank, selected, *record);
}

Result<Selection> InsertFromRe(ToneBank& bank, Selection selected, ByteView file) {
    auto position = InsertPosition(bank, selected);
    if (!position || !*position) {
        return position;
    }
    const auto record = RecordFromReFile(file, bank.UnicodeNames);
    if (!record) {
        return record.error();
    }
    return Insert(bank, selected, *record);
}

Result<Bytes> ExportRecord(ByteView record, formats::TextFormat bankFormat, formats::TextFormat chosenFormat) {
    if (const auto intact = CheckNameTerminator(record, bankFormat); !intact) {
        return intact.error();
    }
    Result<Bytes> file = Bytes(record.begin(), record.end());
    if (bankFormat != chosenFormat) {
        file = chosenFormat == formats::TextFormat::Ascii ? RecordToAscii(record) : RecordToUnicode(record);
    }
    // An RE file carries no format mark: the import tells it from the bytes, and a file it
    // would take for the other format comes back as a different melody or not at all.
    if (file && formats::DetectRecordFormat(*file) != chosenFormat) {
        return MakeError(ErrorCode::BadInput, chosenFormat == formats::TextFormat::Ascii
                                                  ? "The melody cannot be exported in ASCII: its name begins with a "
                                                    "control character, so the file would read as Unicode."
                                                  : "The melody cannot be exported in Unicode: its name is longer "
                                                    "than 30 characters, so the file would read as ASCII.");
    }
    return file;
}

Result<void> ExportReFile(const std::filesystem::path& path, ByteView record, formats::TextFormat bankFormat,
                          formats::TextFormat chosenFormat, const formats::WriteFault* fault) {
    const auto file = ExportRecord(record, bankFormat, chosenFormat);
    if (!file) {
        return file.error();
    }
    return formats::WriteFileAtomic(path, *file, fault);
}

}  // namespace belltower::bank
