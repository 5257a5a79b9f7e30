// SPDX-License-Identifier: GPL-3.0-or-later
// Synthetic firmware images and melody records for tests, benchmarks and fuzz seeds, laid out
// by hand independently of the code under test, so the two check each other. An image is
//   filler up to block ppmBlock | PPM header (44) | chunksBefore | TONE chunk | chunksAfter |
//   chain end marker (36) | tail | 0xFF up to at least one whole block past the PPM start
// with every chunk carrying a correct checksum (sum of its big-endian words from offset 4).
#pragma once

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "formats/bytes.h"
#include "formats/names.h"

namespace belltower::testing {

using formats::Bytes;
using formats::ByteView;
using formats::TextFormat;

// A complete record: header, name (widened in Unicode), terminator, tone data, 0xFF fill, with
// its length field set. `id` is padded with spaces or cut to 4 bytes.
Bytes MakeRecord(TextFormat format, std::uint32_t index, std::string_view id, std::string_view name, ByteView toneData,
                 std::uint8_t purpose = 0);

Bytes MakeChunk(std::string_view name, ByteView body);  // checksum, length, 4-byte name, body
// "TONE", "version" 00, the records, the 16-byte end record.
Bytes MakeToneChunk(const std::vector<Bytes>& records);
Bytes ChainEndMarker();  // 36 bytes: zero name, length 0x24, a body that is not all zero
// "PPM" 00 and `text`, padded with zero bytes or cut to 44 bytes.
Bytes PpmHeader(std::string_view text = "NHM-5 V 5.31 synthetic test image");

struct ImageLayout {
    std::size_t ppmBlock = 0;
    Bytes header = PpmHeader();
    std::vector<Bytes> chunksBefore;
    std::vector<Bytes> records;
    std::optional<Bytes> toneChunk;  // used as it stands instead of MakeToneChunk(records)
    std::vector<Bytes> chunksAfter;
    bool endMarker = true;
    Bytes tail;
    std::size_t minimumSize = 0;  // 0xFF added behind the tail up to this size
};

struct BuiltImage {
    Bytes image;
    std::size_t ppmOffset = 0;
    std::size_t toneOffset = 0;
    std::size_t toneLength = 0;
    std::size_t chainEnd = 0;  // first byte after the marker (or after chunksAfter without one)
};

BuiltImage BuildImage(const ImageLayout& layout);

// A 16 MB flash with the PPM section in its middle and 300 Unicode melodies of 200 bytes of
// tone data each: a full-size image for benchmarks.
Bytes FullSizeImage();

// Random pieces for property tests (deterministic for a seeded engine).
Bytes RandomToneData(std::mt19937& random);  // 2..60 bytes, never ending in 0xFF
// A name the format detection reads right when it is the first record's: 0..30 characters,
// never a zero byte; in ASCII the first character is 32 or above.
std::string RandomName(std::mt19937& random, TextFormat format);
ImageLayout RandomLayout(std::mt19937& random, TextFormat format, std::size_t maxRecords = 24);

}  // namespace belltower::testing
