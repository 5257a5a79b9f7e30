// SPDX-License-Identifier: GPL-3.0-or-later
// The list operations, the property panel, the RE import and export and the save, driven by a
// script of bytes over a bank loaded from a generated firmware image. After every step the bank
// must be whole (every record readable and listed under its name); a refused step must leave
// it exactly as it was; and a save must load back as the same bank.
#include <optional>
#include <string>
#include <vector>

#include "bank/firmware_reader.h"
#include "bank/firmware_writer.h"
#include "bank/list_operations.h"
#include "bank/re_exchange.h"
#include "bank/record_properties.h"
#include "bank/tone_bank.h"
#include "formats/record.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/harnesses.h"
#include "support/image_builder.h"

namespace belltower::fuzz {
namespace {

using bank::Selection;
using bank::ToneBank;
using formats::Bytes;
using formats::ByteView;
using formats::TextFormat;

const Bytes kTone{0x00, 0x02, 0xFC, 0x09, 0x0A, 0x01, 0x8B, 0x34, 0x0A, 0xFE, 0x07, 0x0B};

// Reads the script; past its end every byte is 0.
class Script {
public:
    explicit Script(ByteView bytes) : bytes_(bytes) {}
    bool Done() const { return pos_ >= bytes_.size(); }
    std::uint8_t Byte() { return pos_ < bytes_.size() ? bytes_[pos_++] : 0; }
    Bytes Take(std::size_t count) {
        const ByteView part = formats::Mid(bytes_, pos_, count);
        pos_ += part.size();
        return Bytes(part.begin(), part.end());
    }
    std::string Text(std::size_t maxLength) { return formats::ToText(Take(Byte() % (maxLength + 1))); }

private:
    ByteView bytes_;
    std::size_t pos_ = 0;
};

TextFormat Other(TextFormat format) {
    return format == TextFormat::Unicode ? TextFormat::Ascii : TextFormat::Unicode;
}

// A line of the list, one past the end, or nothing selected.
Selection ReadSelection(Script& script, const ToneBank& bank) {
    const std::uint8_t byte = script.Byte();
    if (byte == 0xFF) {
        return std::nullopt;
    }
    return byte % (bank.Count() + 1);
}

// A record to replace or insert with, or the bytes of an RE file: a well-made record in the
// bank's format or in the other one, or bytes as they come.
Bytes ReadRecord(Script& script, TextFormat bankFormat) {
    const std::uint8_t kind = script.Byte();
    if (kind % 3 == 2) {
        return script.Take(script.Byte());
    }
    const TextFormat format = kind % 3 == 0 ? bankFormat : Other(bankFormat);
    const std::string name = script.Text(40);
    const std::uint8_t index = script.Byte();
    const std::uint8_t purpose = script.Byte();
    Bytes tone = kTone;
    formats::Append(tone, script.Take(script.Byte() % 16));
    return testing::MakeRecord(format, index, "RE", name, tone, purpose);
}

bank::RecordEdits ReadEdits(Script& script) {
    bank::RecordEdits edits;
    edits.name = script.Text(40);
    edits.id = script.Text(6);
    edits.indexText = script.Text(12);
    edits.purposeText = script.Text(6);
    return edits;
}

void CheckWhole(const ToneBank& bank) {
    BELLTOWER_FUZZ_CHECK(bank.Records.size() == bank.Lines.size());
    BELLTOWER_FUZZ_CHECK(bank.Count() <= bank::kMaxRecordsLoaded);
    for (std::size_t i = 0; i < bank.Count(); ++i) {
        const auto line = bank::CheckRecordForBank(bank.Records[i], bank.UnicodeNames);
        BELLTOWER_FUZZ_CHECK(line.has_value());
        BELLTOWER_FUZZ_CHECK(*line == bank.Lines[i]);
        const auto view = bank::ShowRecord(bank, i);
        BELLTOWER_FUZZ_CHECK(view.has_value() && view->name == bank.Lines[i]);
    }
}

// A step that returns a selection: on success it is a line of the list; on failure, or when
// it does nothing, the bank is as it was.
void CheckStep(const formats::Result<Selection>& result, const ToneBank& before, const ToneBank& after) {
    if (!result || !*result) {
        BELLTOWER_FUZZ_CHECK(after == before);
        if (!result) {
            BELLTOWER_FUZZ_CHECK(!result.error().message.empty());
        }
        return;
    }
    BELLTOWER_FUZZ_CHECK(**result < after.Count());
}

// The save, loaded back: the same melodies in the same format (an empty bank reads as ASCII),
// and the bytes behind the chain where they were.
void CheckSave(ToneBank& bank) {
    const Bytes saved = bank::BuildFirmwareImage(bank);
    if (!bank.FirmwareLoaded) {
        BELLTOWER_FUZZ_CHECK(saved == bank::BuildToneChunk(bank.Records));
        return;
    }
    const auto again = bank::ReadFirmwareImage(ByteView(saved), "saved");
    BELLTOWER_FUZZ_CHECK(again.has_value());
    BELLTOWER_FUZZ_CHECK(again->records == bank.Records);
    BELLTOWER_FUZZ_CHECK(again->lines == bank.Lines);
    BELLTOWER_FUZZ_CHECK(again->format == bank.UnicodeNames || bank.Count() == 0);
    BELLTOWER_FUZZ_CHECK(again->head == bank.FirmwareHead && again->middle == bank.FirmwareMiddle);
    BELLTOWER_FUZZ_CHECK(saved.size() >= bank.ChainEnd + bank.FirmwareTail.size());
    const bank::ChainFit fit = bank::FitChain(bank);
    BELLTOWER_FUZZ_CHECK(saved.size() == bank.ChainEnd + bank.FirmwareTail.size() + fit.grownBy);
    if (fit.overwritten < bank.FirmwareTail.size()) {
        const ByteView kept = ByteView(bank.FirmwareTail).subspan(fit.overwritten);
        BELLTOWER_FUZZ_CHECK(Bytes(saved.end() - static_cast<std::ptrdiff_t>(kept.size()), saved.end()) ==
                             Bytes(kept.begin(), kept.end()));
    }
    // Go on with the bank as it loads from the saved image.
    const TextFormat format = bank.UnicodeNames;
    (void)bank::ApplyFirmwareImage(bank, *again, false);
    if (bank.Count() == 0) {
        bank.UnicodeNames = format;
    }
}

void CheckExport(const ToneBank& bank, Selection selected, TextFormat chosen) {
    if (!selected || *selected >= bank.Count()) {
        return;
    }
    const auto exported = bank::ExportRecord(bank.Records[*selected], bank.UnicodeNames, chosen);
    if (!exported) {
        return;  // a name the ASCII format cannot hold
    }
    BELLTOWER_FUZZ_CHECK(bank::ValidateReFile(*exported).has_value());
    ToneBank target;
    target.UnicodeNames = chosen;
    const auto inserted = bank::InsertFromRe(target, std::nullopt, *exported);
    if (inserted) {
        BELLTOWER_FUZZ_CHECK(target.Records.front() == *exported);
        BELLTOWER_FUZZ_CHECK(target.Lines.front() == bank.Lines[*selected]);
    }
}

ToneBank LoadedBank(Script& script, std::uint8_t setup) {
    const TextFormat format = (setup & 0x80) != 0 ? TextFormat::Unicode : TextFormat::Ascii;
    testing::ImageLayout layout;
    for (std::size_t i = 0; i < setup % 16; ++i) {
        const std::string name = "Melody " + std::to_string(i);
        layout.records.push_back(testing::MakeRecord(format, static_cast<std::uint32_t>(10 + i), "ID", name, kTone, 2));
    }
    layout.chunksAfter.push_back(testing::MakeChunk("NEXT", Bytes(script.Byte() % 64, 0x11)));
    layout.tail = Bytes(script.Byte(), 0x22);
    const testing::BuiltImage built = testing::BuildImage(layout);
    const auto read = bank::ReadFirmwareImage(ByteView(built.image), "generated");
    BELLTOWER_FUZZ_CHECK(read.has_value());
    ToneBank bank;
    bank.UnicodeNames = format;
    (void)bank::ApplyFirmwareImage(bank, *read, false);
    BELLTOWER_FUZZ_CHECK(bank.UnicodeNames == format || bank.Count() == 0);
    bank.UnicodeNames = format;
    if ((setup & 0x40) != 0) {
        // Melodies without a firmware image, as after a session that only built a bank.
        bank.FirmwareHead.clear();
        bank.FirmwareMiddle.clear();
        bank.FirmwareTail.clear();
        bank.ChainEnd = 0;
        bank.HeaderText.clear();
        bank.FirmwareLoaded = false;
    }
    return bank;
}

}  // namespace

void FuzzListOperations(ByteView input) {
    Script script(input);
    ToneBank bank = LoadedBank(script, script.Byte());
    CheckWhole(bank);
    for (int steps = 0; !script.Done() && steps < 64; ++steps) {
        const ToneBank before = bank;
        const std::uint8_t op = script.Byte() % 12;
        const Selection selected = ReadSelection(script, bank);
        switch (op) {
        case 0:
            CheckStep(bank::MoveUp(bank, selected), before, bank);
            break;
        case 1:
            CheckStep(bank::MoveDown(bank, selected), before, bank);
            break;
        case 2: {
            const Bytes record = ReadRecord(script, bank.UnicodeNames);
            const auto result = bank::Replace(bank, selected, record);
            CheckStep(result, before, bank);
            if (result && *result) {
                // The melody keeps its place in the phone: index, ID and purpose stay.
                const Bytes& now = bank.Records[**result];
                const Bytes& was = before.Records[**result];
                BELLTOWER_FUZZ_CHECK(std::equal(now.begin(), now.begin() + 4, was.begin()));
                BELLTOWER_FUZZ_CHECK(std::equal(now.begin() + 8, now.begin() + 12, was.begin() + 8));
                BELLTOWER_FUZZ_CHECK(!bank.IsUnicode() || now[16] == was[16]);
            }
            break;
        }
        case 3: {
            const Bytes record = ReadRecord(script, bank.UnicodeNames);
            const auto result = bank::Insert(bank, selected, record);
            CheckStep(result, before, bank);
            if (result && *result) {
                BELLTOWER_FUZZ_CHECK(bank.Count() == before.Count() + 1);
                BELLTOWER_FUZZ_CHECK(bank.Records[**result] == record);
                BELLTOWER_FUZZ_CHECK(before.Count() < bank::kMaxRecordsEdited);
            }
            break;
        }
        case 4:
            if (!bank::Delete(bank, selected)) {
                BELLTOWER_FUZZ_CHECK(bank == before);
            } else {
                BELLTOWER_FUZZ_CHECK(bank.Count() + 1 == before.Count());
            }
            break;
        case 5:
            bank::Reindex(bank);
            for (std::size_t i = 0; i < bank.Count(); ++i) {
                BELLTOWER_FUZZ_CHECK(*formats::RecordIndex(bank.Records[i]) == static_cast<std::int32_t>(i + 1));
            }
            break;
        case 6: {
            const bank::RecordEdits edits = ReadEdits(script);
            if (!selected || *selected >= bank.Count()) {
                break;
            }
            if (const auto applied = bank::ApplyRecordEdits(bank, *selected, edits); !applied) {
                BELLTOWER_FUZZ_CHECK(bank == before);
            }
            break;
        }
        case 7: {
            const Bytes file = ReadRecord(script, bank.UnicodeNames);
            CheckStep(bank::ReplaceFromRe(bank, selected, file), before, bank);
            break;
        }
        case 8: {
            const Bytes file = ReadRecord(script, bank.UnicodeNames);
            CheckStep(bank::InsertFromRe(bank, selected, file), before, bank);
            break;
        }
        case 9:
            if (selected && *selected < bank.Count()) {
                BELLTOWER_FUZZ_CHECK(bank::ShowRecord(bank, *selected).has_value());
            }
            break;
        case 10:
            CheckSave(bank);
            break;
        default:
            CheckExport(bank, selected, (script.Byte() & 1) != 0 ? TextFormat::Unicode : TextFormat::Ascii);
            break;
        }
        CheckWhole(bank);
    }
    CheckSave(bank);
}

}  // namespace belltower::fuzz
