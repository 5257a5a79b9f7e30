// SPDX-License-Identifier: GPL-3.0-or-later
// The wave synthesiser's samples computed the plain way: one command after another, every
// sample on its own, a repeat end copying what was written since its start. The fuzz harness
// and the synthesiser's tests compare WriteWav with it, so the synthesiser's counting run,
// waveform caches and repeat copies must come out as if none of them were there.
#pragma once

#include <cstddef>

#include "formats/bytes.h"
#include "preview/wav_writer.h"

namespace belltower::fuzz {

struct PlainRendering {
    formats::Bytes samples;  // 16-bit little-endian, as they follow the WAV header
    bool cut = false;        // the samples reached maxBytes and stopped there
};

// The samples of bare tone data (see preview::PlayedToneData), at most maxBytes of them.
PlainRendering RenderPlainly(formats::ByteView toneData, const preview::RenderOptions& options, std::size_t maxBytes);

}  // namespace belltower::fuzz
