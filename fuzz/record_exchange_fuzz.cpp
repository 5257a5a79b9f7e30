// SPDX-License-Identifier: GPL-3.0-or-later
// An RE file of any bytes: its validation, its import into either kind of bank, the property
// panel's view of it, the conversions between the text formats and the export back to a file.
#include <algorithm>
#include <string>

#include "bank/list_operations.h"
#include "bank/re_exchange.h"
#include "bank/record_properties.h"
#include "formats/dword.h"
#include "formats/record.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/harnesses.h"

namespace belltower::fuzz {
namespace {

using formats::Bytes;
using formats::ByteView;
using formats::TextFormat;

constexpr TextFormat kFormats[] = {TextFormat::Ascii, TextFormat::Unicode};

TextFormat Other(TextFormat format) {
    return format == TextFormat::Unicode ? TextFormat::Ascii : TextFormat::Unicode;
}

// What the panel shows must be what the record holds.
void CheckView(ByteView record, TextFormat format, const bank::RecordView& view) {
    BELLTOWER_FUZZ_CHECK(view.name == *formats::RecordDisplayName(record, format));
    BELLTOWER_FUZZ_CHECK(view.id == formats::ToText(record.subspan(8, 4)));
    BELLTOWER_FUZZ_CHECK(!view.indexText.empty() && view.indexText.size() <= 10);
    BELLTOWER_FUZZ_CHECK(view.playMode == formats::RecordPlayMode(record));
    BELLTOWER_FUZZ_CHECK(view.applyCaption == "Apply to " + view.name);
    BELLTOWER_FUZZ_CHECK(view.purposeEnabled == (format == TextFormat::Unicode));
    BELLTOWER_FUZZ_CHECK(view.purposeEnabled ? view.purposeText == std::to_string(record[16])
                                             : view.purposeText == bank::kNotApplicable);
}

// A converted record is complete and readable in its new format, with the same name, index
// and ID. `from` must have a readable name.
void CheckConverted(ByteView from, TextFormat fromFormat, const Bytes& to, TextFormat toFormat) {
    BELLTOWER_FUZZ_CHECK(to.size() % 4 == 0);
    // The name changes its width, the tone data stays: a record at most twice its size.
    BELLTOWER_FUZZ_CHECK(to.size() <= 2 * from.size() + 8);
    BELLTOWER_FUZZ_CHECK(formats::RecordLengthField(to).has_value());
    BELLTOWER_FUZZ_CHECK(static_cast<std::size_t>(*formats::RecordLengthField(to)) == to.size());
    const auto name = formats::RecordDisplayName(to, toFormat);
    BELLTOWER_FUZZ_CHECK(name.has_value());
    BELLTOWER_FUZZ_CHECK(*formats::RecordNameLength(to, toFormat) == *formats::RecordNameLength(from, fromFormat));
    BELLTOWER_FUZZ_CHECK(*name == *formats::RecordDisplayName(from, fromFormat));
    BELLTOWER_FUZZ_CHECK(Bytes(to.begin(), to.begin() + 4) == Bytes(from.begin(), from.begin() + 4));
    BELLTOWER_FUZZ_CHECK(Bytes(to.begin() + 8, to.begin() + 12) == Bytes(from.begin() + 8, from.begin() + 12));
}

// Export in both formats, and the exported file imported again into a bank of its format.
void CheckExport(const Bytes& record, TextFormat bankFormat, const std::string& line) {
    for (const TextFormat chosen : kFormats) {
        const auto exported = bank::ExportRecord(record, bankFormat, chosen);
        if (chosen == bankFormat) {
            BELLTOWER_FUZZ_CHECK(exported.has_value() && *exported == record);
            continue;
        }
        if (!exported) {
            // Only the name stops the export of a record the bank took: one the ASCII format
            // cannot hold, or one that would make the file read as the other format (in
            // Unicode, a name over 30 characters).
            BELLTOWER_FUZZ_CHECK(exported.error().code == formats::ErrorCode::BadInput);
            BELLTOWER_FUZZ_CHECK(chosen == TextFormat::Ascii ||
                                 *formats::RecordNameLength(record, bankFormat) > bank::kMaxNameCharacters);
            continue;
        }
        CheckConverted(record, bankFormat, *exported, chosen);
        BELLTOWER_FUZZ_CHECK(bank::ValidateReFile(*exported).has_value());
        // Converting back gives the bank's record again, up to the fill and the cleared purpose,
        // and a second round changes nothing more. Only an ASCII name holding a zero byte does
        // not come back: as a Unicode character 00 00 it is refused on the way to ASCII.
        const auto back = bank::ExportRecord(*exported, chosen, bankFormat);
        if (!back) {
            BELLTOWER_FUZZ_CHECK(back.error().code == formats::ErrorCode::BadInput);
            const Bytes asciiName = *formats::RecordNameBytes(record, bankFormat);
            BELLTOWER_FUZZ_CHECK(bankFormat == TextFormat::Ascii &&
                                 std::find(asciiName.begin(), asciiName.end(), 0) != asciiName.end());
            continue;
        }
        CheckConverted(*exported, chosen, *back, bankFormat);
        const auto twice = bank::ExportRecord(*bank::ExportRecord(*back, bankFormat, chosen), chosen, bankFormat);
        BELLTOWER_FUZZ_CHECK(twice.has_value() && *twice == *back);
        // The exported file comes back into a bank of the chosen format as the same melody. (A
        // Unicode bank takes names of at most 30 characters: a longer one may be refused.)
        const auto reimported = bank::RecordFromReFile(*exported, chosen);
        BELLTOWER_FUZZ_CHECK(reimported.has_value() ||
                             *formats::RecordNameLength(record, bankFormat) > bank::kMaxNameCharacters);
        if (reimported) {
            BELLTOWER_FUZZ_CHECK(*reimported == *exported);
            BELLTOWER_FUZZ_CHECK(*bank::CheckRecordForBank(*reimported, chosen) == line);
        }
    }
}

}  // namespace

void FuzzRecordExchange(ByteView file) {
    const bool valid = bank::ValidateReFile(file).has_value();
    BELLTOWER_FUZZ_CHECK(!valid || static_cast<std::size_t>(*formats::RecordLengthField(file)) == file.size());

    for (const TextFormat format : kFormats) {
        // The panel and the conversions on the raw bytes, valid file or not.
        if (const auto view = bank::DescribeRecord(file, format)) {
            CheckView(file, format, *view);
        }
        const auto converted = format == TextFormat::Unicode ? bank::RecordToUnicode(file) : bank::RecordToAscii(file);
        if (converted && formats::RecordNameLength(file, Other(format))) {
            CheckConverted(file, Other(format), *converted, format);
        }

        // The import.
        const auto record = bank::RecordFromReFile(file, format);
        if (!record) {
            BELLTOWER_FUZZ_CHECK(!record.error().message.empty());
            continue;
        }
        BELLTOWER_FUZZ_CHECK(valid);
        const auto line = bank::CheckRecordForBank(*record, format);
        BELLTOWER_FUZZ_CHECK(line.has_value());
        const auto view = bank::DescribeRecord(*record, format);
        BELLTOWER_FUZZ_CHECK(view.has_value());
        CheckView(*record, format, *view);
        BELLTOWER_FUZZ_CHECK(view->name == *line);
        CheckExport(*record, format, *line);
    }
}

}  // namespace belltower::fuzz
