// SPDX-License-Identifier: GPL-3.0-or-later
#include "fuzz/harnesses.h"

#include <array>

namespace belltower::fuzz {

std::span<const Harness> AllHarnesses() {
    static constexpr std::array kHarnesses{
        Harness{"rtx_encoder", &FuzzRtxEncoder},         Harness{"wav_writer", &FuzzWavWriter},
        Harness{"firmware_reader", &FuzzFirmwareReader}, Harness{"record_exchange", &FuzzRecordExchange},
        Harness{"list_operations", &FuzzListOperations}, Harness{"ott_reader", &FuzzOttReader},
        Harness{"tone_decoder", &FuzzToneDecoder},       Harness{"midi_reader", &FuzzMidiReader},
        Harness{"text_ringtones", &FuzzTextRingtones},
    };
    return kHarnesses;
}

}  // namespace belltower::fuzz
