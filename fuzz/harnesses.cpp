#include "fuzz/harnesses.h"

#include <array>

namespace belltower::fuzz {

std::span<const Harness> AllHarnesses() {
    static constexpr std::array kHarnesses{
        Harness{"rtx_encoder", &FuzzRtxEncoder},
        Harness{"wav_writer", &FuzzWavWriter},
    };
    return kHarnesses;
}

}  // namespace belltower::fuzz
