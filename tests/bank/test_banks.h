// Small banks for the bank tests: melodies "M0", "M1", ... with index 10 + i.
#pragma once

#include <string>

#include "bank/tone_bank.h"
#include "support/hex.h"
#include "support/image_builder.h"

namespace belltower::bank {

inline const formats::Bytes kTone = testing::Hex("00 02 FC 09 0A 01 8B 34 0A FE 07 0B 00");

inline formats::Bytes Melody(formats::TextFormat format, std::uint32_t index, const std::string& name,
                             std::string_view id = "", std::uint8_t purpose = 0) {
    return testing::MakeRecord(format, index, id, name, kTone, purpose);
}

inline ToneBank MakeBank(std::size_t count, formats::TextFormat format = formats::TextFormat::Ascii) {
    ToneBank bank;
    bank.UnicodeNames = format;
    for (std::size_t i = 0; i < count; ++i) {
        const std::string name = "M" + std::to_string(i);
        bank.Records.push_back(Melody(format, static_cast<std::uint32_t>(10 + i), name, "ID", 2));
        bank.Lines.push_back(name);
    }
    return bank;
}

} // namespace belltower::bank
