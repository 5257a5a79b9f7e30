// SPDX-License-Identifier: GPL-3.0-or-later
// What the bank tests share: banks of melodies "M0", "M1", ... with index 10 + i, ID "ID" and
// purpose 2, banks loaded from generated images, and patched byte strings.
#pragma once

#include <algorithm>
#include <filesystem>
#include <string>

#include "bank/firmware_reader.h"
#include "bank/tone_bank.h"
#include "support/hex.h"
#include "support/image_builder.h"
#include "support/scratch_dir.h"

namespace belltower::bank {

using formats::Bytes;
using formats::ByteView;
using formats::ErrorCode;
using formats::TextFormat;
using testing::Hex;
using testing::Patched;
using Lines = std::vector<std::string>;
constexpr TextFormat kAscii = TextFormat::Ascii;
constexpr TextFormat kUnicode = TextFormat::Unicode;
inline const Bytes kTone = Hex("00 02 FC 09 0A 01 8B 34 0A FE 07 0B 00");

inline Bytes Melody(TextFormat format, std::uint32_t index, const std::string& name, std::string_view id = "",
                    std::uint8_t purpose = 0) {
    return testing::MakeRecord(format, index, id, name, kTone, purpose);
}

inline ToneBank MakeBank(std::size_t count, TextFormat format = kAscii) {
    ToneBank bank;
    bank.UnicodeNames = format;
    for (std::size_t i = 0; i < count; ++i) {
        bank.Lines.push_back("M" + std::to_string(i));
        bank.Records.push_back(Melody(format, static_cast<std::uint32_t>(10 + i), bank.Lines.back(), "ID", 2));
    }
    return bank;
}

inline ToneBank LoadedBank(const testing::ImageLayout& layout) {
    ToneBank bank;
    (void)ApplyFirmwareImage(bank, *ReadFirmwareImage(testing::BuildImage(layout).image, "f"), false);
    return bank;
}

}  // namespace belltower::bank
