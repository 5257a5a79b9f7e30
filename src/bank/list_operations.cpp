// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/list_operations.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "formats/dword.h"
#include "formats/record.h"

namespace belltower::bank {
namespace {

using formats::ErrorCode;
using formats::MakeError;
using formats::Result;

void SwapLines(ToneBank& bank, std::size_t a, std::size_t b) {
    std::swap(bank.Records[a], bank.Records[b]);
    std::swap(bank.Lines[a], bank.Lines[b]);
}

bool IsLine(const ToneBank& bank, Selection selected) {
    return selected && *selected < bank.Count();
}

// The line that comes first after the change, when it changes; nothing otherwise.
std::optional<std::size_t> NewFirstLine(const ToneBank& bank, ListChange change, Selection selected) {
    if (!IsLine(bank, selected)) {
        return std::nullopt;
    }
    switch (change) {
    case ListChange::MoveUp:
        return *selected == 1 ? std::optional<std::size_t>(1) : std::nullopt;
    case ListChange::MoveDown:
    case ListChange::Delete:
        return *selected == 0 && bank.Count() > 1 ? std::optional<std::size_t>(1) : std::nullopt;
    }
    return std::nullopt;
}

}  // namespace

bool ReadsAsOtherFormatFirst(const ToneBank& bank, std::size_t line) {
    return formats::DetectRecordFormat(bank.Records.at(line)) != bank.UnicodeNames;
}

std::string CannotComeFirstText(const ToneBank& bank, std::size_t line) {
    return bank.IsUnicode() ? "The melody \"" + bank.Lines.at(line) +
                                  "\" cannot come first in the list: its name is longer than 30 characters, so the "
                                  "bank would read back as ASCII."
                            : "The melody \"" + bank.Lines.at(line) +
                                  "\" cannot come first in the list: its name begins with a control character, so "
                                  "the bank would read back as Unicode.";
}

Result<void> CheckListChange(const ToneBank& bank, ListChange change, Selection selected) {
    const auto first = NewFirstLine(bank, change, selected);
    if (first && ReadsAsOtherFormatFirst(bank, *first)) {
        return MakeError(ErrorCode::BadInput, CannotComeFirstText(bank, *first));
    }
    return {};
}

Result<void> CheckNameTerminator(ByteView record, formats::TextFormat format) {
    const auto tail = formats::RecordTail(record, format);
    if (!tail) {
        return tail.error();
    }
    const std::size_t terminator = format == formats::TextFormat::Unicode ? 2 : 1;
    if (tail->size() < terminator || std::any_of(tail->begin(), tail->begin() + static_cast<std::ptrdiff_t>(terminator),
                                                 [](std::uint8_t b) { return b != 0; })) {
        return MakeError(ErrorCode::DamagedData, std::string(kNoNameTerminator));
    }
    return {};
}

Selection MoveUp(ToneBank& bank, Selection selected) {
    if (!IsLine(bank, selected) || *selected == 0 || !CheckListChange(bank, ListChange::MoveUp, selected)) {
        return std::nullopt;
    }
    SwapLines(bank, *selected, *selected - 1);
    return *selected - 1;
}

Selection MoveDown(ToneBank& bank, Selection selected) {
    if (!IsLine(bank, selected) || *selected + 1 >= bank.Count() ||
        !CheckListChange(bank, ListChange::MoveDown, selected)) {
        return std::nullopt;
    }
    SwapLines(bank, *selected, *selected + 1);
    return *selected + 1;
}

Result<std::string> CheckRecordForBank(ByteView record, formats::TextFormat format) {
    if (record.empty()) {
        return MakeError(ErrorCode::DamagedData, "The new melody record is empty.");
    }
    // The phone finds each record by the length field of the one before: it must be right.
    if (!formats::IsWholeRecord(record)) {
        return MakeError(ErrorCode::DamagedData, "The new melody record's length field does not match its " +
                                                     std::to_string(record.size()) + " bytes.");
    }
    auto line = formats::RecordDisplayName(record, format);
    // The name ends with its terminator (one zero byte per byte of a character): the format
    // conversions and the export take the record apart there.
    if (line && !CheckNameTerminator(record, format)) {
        return MakeError(ErrorCode::DamagedData, "The new melody record has no terminator after its name.");
    }
    // A Unicode bank is recognised by a name-length byte of at most 31 in its first record:
    // a longer name would make the saved image read back as ASCII.
    if (line && format == formats::TextFormat::Unicode && *formats::RecordNameLength(record, format) > 30) {
        return MakeError(ErrorCode::BadInput, "A melody name holds at most 30 characters.");
    }
    if (line && format == formats::TextFormat::Ascii && formats::DetectRecordFormat(record) != format) {
        return MakeError(ErrorCode::BadInput, std::string(kControlCharacterFirst));
    }
    return line;
}

void CarryHeaderFields(ByteView from, Bytes& to, formats::TextFormat format) {
    const std::size_t needed = format == formats::TextFormat::Unicode ? 17 : 12;
    if (from.size() < needed || to.size() < needed) {
        throw std::invalid_argument("CarryHeaderFields: record shorter than its header");
    }
    std::copy_n(from.begin(), 4, to.begin());          // index
    std::copy_n(from.begin() + 8, 4, to.begin() + 8);  // ID
    if (format == formats::TextFormat::Unicode) {
        to[16] = from[16];  // purpose
    }
}

Result<Selection> Replace(ToneBank& bank, Selection selected, ByteView newRecord) {
    if (!IsLine(bank, selected)) {
        return Selection{};
    }
    auto line = CheckRecordForBank(newRecord, bank.UnicodeNames);
    if (!line) {
        return line.error();
    }
    Bytes record(newRecord.begin(), newRecord.end());
    CarryHeaderFields(bank.Records[*selected], record, bank.UnicodeNames);
    bank.Records[*selected] = std::move(record);
    bank.Lines[*selected] = std::move(*line);
    return selected;
}

Result<Selection> InsertPosition(const ToneBank& bank, Selection selected) {
    if (bank.Count() == 0) {
        return Selection{0};
    }
    if (!IsLine(bank, selected)) {
        return Selection{};
    }
    if (bank.Count() >= kMaxRecordsEdited) {
        return MakeError(ErrorCode::Limit, std::string(kBankFull));
    }
    return selected;
}

Result<Selection> Insert(ToneBank& bank, Selection selected, ByteView newRecord) {
    auto position = InsertPosition(bank, selected);
    if (!position || !*position) {
        return position;
    }
    auto line = CheckRecordForBank(newRecord, bank.UnicodeNames);
    if (!line) {
        return line.error();
    }
    const auto at = static_cast<std::ptrdiff_t>(**position);
    bank.Records.insert(bank.Records.begin() + at, Bytes(newRecord.begin(), newRecord.end()));
    bank.Lines.insert(bank.Lines.begin() + at, std::move(*line));
    return *position;
}

bool Delete(ToneBank& bank, Selection selected) {
    if (!IsLine(bank, selected) || !CheckListChange(bank, ListChange::Delete, selected)) {
        return false;
    }
    const auto at = static_cast<std::ptrdiff_t>(*selected);
    bank.Records.erase(bank.Records.begin() + at);
    bank.Lines.erase(bank.Lines.begin() + at);
    return true;
}

void Reindex(ToneBank& bank) {
    for (std::size_t k = 0; k < bank.Count(); ++k) {
        const Bytes index = formats::NumberToDword(static_cast<std::int64_t>(k + 1));
        std::copy(index.begin(), index.end(), bank.Records[k].begin());
    }
}

}  // namespace belltower::bank
