// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a phone firmware image ("Dejan format" .fls or a raw flash dump).
//
// Offsets are 0-based; every number is a big-endian dword. The image is seen as 64 KB blocks.
//
// PPM section: starts at the first byte of a block with "PPM" 00. Only whole blocks count:
// block k is searched only when k < image size / 65536. Its first 44 bytes are a header
// shown to the user as text; the chunk chain starts right after it.
//
// Chunk (every member of the chain):
//   offset  size       field
//   0       4          checksum (not checked on reading)
//   4       4          chunk length, these 12 header bytes included
//   8       4          name, e.g. "TONE"
//   12      length-12  body
// The chain ends with the chain end marker: name 00 00 00 00 and length 00 00 00 24 (36 bytes).
// When the chain holds several TONE chunks, the last one before the marker counts.
//
// TONE chunk:
//   0       4          checksum: sum of the big-endian words from offset 4 on
//   4       4          chunk length
//   8       4          "TONE"
//   12      8          version field ("version" 00 as written)
//   20      ...        melody records back to back (layout in formats/record.h)
//   ...     16         end record: length field 16 and its byte 8 zero (index 0, length 16,
//                      eight zero bytes as written)
//
// The records' text format is told from the first record (bytes 36/37 of the chunk): Unicode
// if its byte 16 is 0 or its byte 17 is 1..31, else ASCII. A chunk without records is ASCII.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "bank/tone_bank.h"
#include "formats/bytes.h"
#include "formats/names.h"
#include "formats/result.h"

namespace belltower::bank {

inline constexpr std::size_t kBlockSize = 65536;
inline constexpr std::size_t kPpmHeaderSize = 44;
inline constexpr std::size_t kChunkHeaderSize = 12;
inline constexpr std::size_t kChainEndMarkerSize = 36;
inline constexpr std::size_t kToneChunkHeaderSize = 20;  // checksum, length, "TONE", version
inline constexpr std::size_t kEndRecordSize = 16;

// Fixed messages of the firmware load.
inline constexpr std::string_view kNoPpmSuffix = " doesn't contain PPM section or is not in Dejan/RAW format!";
inline constexpr std::string_view kToneNotFound = "TONE chunk not found!!!";
inline constexpr std::string_view kErrorReadingFile = "Error reading file.";
inline constexpr std::string_view kDifferentFormats =
    "Cannot transfer all the tones to the firmware you are trying to load because they have different text "
    "formats (ASCII vs Unicode).";

// A firmware image taken apart. Head + TONE chunk + Middle + Tail is the whole image.
struct FirmwareImage {
    formats::Bytes head;
    formats::Bytes middle;
    formats::Bytes tail;
    std::size_t ppmOffset = 0;
    std::size_t toneOffset = 0;  // where the TONE chunk starts (= head size)
    std::size_t toneLength = 0;  // its length field
    std::size_t chainEnd = 0;    // first byte after the chain end marker
    std::string headerText;      // ToPrintable of the 44 header bytes
    formats::TextFormat format = formats::TextFormat::Ascii;
    std::vector<formats::Bytes> records;  // in chunk order, each exactly as stored
    std::vector<std::string> lines;       // their names as listed
};

// Takes an image apart. sourceName (the path as the user gave it) only goes into the
// "no PPM section" message. Errors, none of which leaves anything half done:
//   NotFound     sourceName + kNoPpmSuffix; kToneNotFound (end of file reached in the walk,
//                or the chain end marker reached before any TONE chunk)
//   DamagedData  kErrorReadingFile for a record whose name-length dword is 0; otherwise one
//                sentence saying what is wrong and at which byte offset: a chunk length below
//                12 or above 2147483647, a chunk, header or marker cut off by the end of the
//                file, a chain without end marker, a record length below the record header or
//                running past the chunk, a TONE chunk without end record, more than 301
//                records, a record whose name cannot be read.
formats::Result<FirmwareImage> ReadFirmwareImage(formats::ByteView image, std::string_view sourceName);
// The same, taking over the image's buffer for the head and handing the memory of the rest back
// as the tail is copied out (a 16 MB image is held once, not twice). On error the image is
// dropped.
formats::Result<FirmwareImage> ReadFirmwareImage(formats::Bytes&& image, std::string_view sourceName);

// The image in the file at path, read once: its layout is read from a mapping of the file, and
// only head and tail are read into memory of their own, so the image is held once. A file that
// is not a regular file (a pipe) is read whole first. Errors of MappedFile::Open (a file over
// maxBytes: Limit, with limitNote) and of ReadFirmwareImage.
formats::Result<FirmwareImage> ReadFirmwareFile(const std::filesystem::path& path, std::string_view sourceName,
                                                std::size_t maxBytes, std::string_view limitNote);

// What a successful load asks the caller to show and set.
struct LoadOutcome {
    bool keepBank = false;              // the new state of "Keep TONE chunk from previous session"
    std::vector<std::string> messages;  // to show in order (plain OK boxes)
};

// Puts a read image into the bank. With keepBank set and the image in the bank's text format,
// only the image pieces and the header are replaced and the melodies stay; with keepBank set
// and the formats differing, keepBank comes back false with kDifferentFormats and the image's
// melodies replace the bank's, as they do without keepBank. Sets FirmwareLoaded.
LoadOutcome ApplyFirmwareImage(ToneBank& bank, FirmwareImage image, bool keepBank);

// Flash images of the phones are 2 to 16 MB; a larger file is refused before it is read whole
// unless the caller allows more. kImageLimitNote ends the message.
inline constexpr std::size_t kMaxImageBytes = std::size_t{64} * 1024 * 1024;
inline constexpr std::string_view kImageLimitNote = ", more than any firmware image of these phones.";

// Reads the file at path and applies it. On any error (Io from reading, Limit for a file over
// maxBytes, or one of ReadFirmwareImage's) the bank is left exactly as it was.
formats::Result<LoadOutcome> LoadFirmware(const std::filesystem::path& path, ToneBank& bank, bool keepBank,
                                          std::size_t maxBytes = kMaxImageBytes);

}  // namespace belltower::bank
