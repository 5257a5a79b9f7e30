// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/tone_bank.h"

namespace belltower::bank {

std::string CountText(const ToneBank& bank) {
    return std::to_string(bank.Count());
}

std::string HeaderCaption(const ToneBank& bank) {
    return bank.HeaderText + (bank.IsUnicode() ? "[Unicode]" : "[ASCII]");
}

}  // namespace belltower::bank
