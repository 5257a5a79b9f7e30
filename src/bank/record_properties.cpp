// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/record_properties.h"

#include <cstdint>
#include <optional>
#include <stdexcept>

#include "bank/list_operations.h"
#include "formats/dword.h"
#include "formats/record.h"
#include "formats/text_value.h"

namespace belltower::bank {
namespace {

using formats::ErrorCode;
using formats::MakeError;
using formats::Result;

// The leading number of a typed text as a whole number in lo..hi, or nothing.
std::optional<std::int64_t> WholeNumberIn(std::string_view text, double lo, double hi) {
    const double value = formats::RoundHalfEven(formats::TextValue(text));
    if (!(value >= lo && value <= hi)) {  // also false for NaN
        return std::nullopt;
    }
    return static_cast<std::int64_t>(value);
}

}  // namespace

Result<RecordView> DescribeRecord(formats::ByteView record, formats::TextFormat format) {
    auto name = formats::RecordDisplayName(record, format);
    if (!name) {
        return name.error();
    }
    // A readable name implies the whole header (17 or 18 bytes) is there.
    RecordView view;
    view.name = std::move(*name);
    view.id = formats::ToText(record.subspan(8, 4));
    view.indexText = std::to_string(formats::BigEndianAt(record, 0));
    if (format == formats::TextFormat::Unicode) {
        view.purposeText = std::to_string(record[16]);
        view.purposeEnabled = true;
    } else {
        view.purposeText = std::string(kNotApplicable);
    }
    view.playMode = formats::RecordPlayMode(record);
    view.playModeText = std::string(formats::PlayModeText(view.playMode));
    view.applyCaption = "Apply to " + view.name;
    return view;
}

Result<RecordView> ShowRecord(const ToneBank& bank, std::size_t listIndex) {
    return DescribeRecord(bank.Records.at(listIndex), bank.UnicodeNames);
}

Result<AppliedRecord> RebuildRecord(formats::ByteView oldRecord, const RecordEdits& edits, formats::TextFormat format) {
    // A Unicode name-length byte above 31 would make the bank read back as ASCII; ASCII banks
    // keep whatever length their names already have.
    if (format == formats::TextFormat::Unicode && edits.name.size() > kMaxNameCharacters) {
        return MakeError(ErrorCode::BadInput, "A melody name holds at most 30 characters.");
    }
    const auto index = WholeNumberIn(edits.indexText, 0, static_cast<double>(formats::kMaxDword));
    if (!index) {
        return MakeError(ErrorCode::BadInput, "The index must be a whole number from 0 to 2147483647.");
    }
    std::optional<std::int64_t> purpose;
    if (format == formats::TextFormat::Unicode) {
        purpose = WholeNumberIn(edits.purposeText, 0, 255);
        if (!purpose) {
            return MakeError(ErrorCode::BadInput, "The purpose must be a whole number from 0 to 255.");
        }
    }
    // A damaged record stays as it is: rebuilt, it would carry the fault under a new name.
    if (const auto intact = CheckNameTerminator(oldRecord, format); !intact) {
        return intact.error();
    }
    // The tail still starts with the old name's terminator, which has the new one's width.
    const auto tail = formats::RecordTail(oldRecord, format);
    if (!tail) {
        return tail.error();
    }
    auto record = formats::BuildRecord(*index, edits.id, edits.name, *tail, purpose, format);
    if (!record) {
        return record.error();
    }
    if (format == formats::TextFormat::Ascii && formats::DetectRecordFormat(*record) != format) {
        return MakeError(ErrorCode::BadInput, std::string(kControlCharacterFirst));
    }
    // The list shows the name as every reader of the record does: without zero bytes.
    std::string line = *formats::RecordDisplayName(*record, format);
    return AppliedRecord{std::move(*record), std::move(line)};
}

Result<void> ApplyRecordEdits(ToneBank& bank, std::size_t listIndex, const RecordEdits& edits) {
    auto applied = RebuildRecord(bank.Records.at(listIndex), edits, bank.UnicodeNames);
    if (!applied) {
        return applied.error();
    }
    bank.Records[listIndex] = std::move(applied->record);
    bank.Lines[listIndex] = std::move(applied->line);
    return {};
}

}  // namespace belltower::bank
