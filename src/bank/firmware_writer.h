// SPDX-License-Identifier: GPL-3.0-or-later
// Writing the tone bank back into its firmware image.
//
// The TONE chunk is rebuilt from the bank on every save (offsets 0-based, dwords big-endian):
//   offset      size   content
//   0           4      checksum: ChunkChecksum of the chunk from offset 4 to its end
//   4           4      chunk length = 36 + the sum of the record lengths
//   8           12     "TONEversion" 00 (chunk name and the 8-byte version field)
//   20          sum    the records in list order, each exactly as held
//   20 + sum    16     end record: index 0, length 16, eight zero bytes
//
// The image is FirmwareHead + chunk + FirmwareMiddle + FirmwareTail, with the tail kept at its
// old position: when the chain shrinks, 0xFF bytes fill the gap before the old chain end; when
// it grows, the chunk chain overwrites the first bytes of the tail (and the image grows once
// the whole tail is used up). Without a loaded firmware the file is the chunk alone.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "bank/tone_bank.h"
#include "formats/bytes.h"
#include "formats/file_io.h"
#include "formats/result.h"

namespace belltower::bank {

inline constexpr std::size_t kMaxAsciiMelodiesAdvised = 65;

inline constexpr std::string_view kTooManyMelodies =
    "The phone will be confused with so many ringtones. Not more than 65 recommended!";
inline constexpr std::string_view kNoFirmwareLoaded =
    "No firmware is loaded. The file saved can serve as a tone bank, but it cannot be flashed to the phone "
    "(without consequences).";

// The sum, modulo 2^32, of the data's big-endian 32-bit words, written big-endian. Bytes after
// the last whole word do not count.
formats::Bytes ChunkChecksum(formats::ByteView data);

// The TONE chunk for these records (layout above). Its length is 36 + the records' lengths.
formats::Bytes BuildToneChunk(std::span<const formats::Bytes> records);
std::size_t ToneChunkLength(std::span<const formats::Bytes> records);

// The whole file a save writes, as pieces to write one after the other: the image with the
// rebuilt chunk, or the chunk alone when no firmware is loaded. Only the chunk (and the 0xFF
// fill of a shrunk chain) is new memory; the other pieces are views into the bank, which must
// outlive this object and stay unchanged while it is used.
class SavedImage {
public:
    explicit SavedImage(const ToneBank& bank);
    SavedImage(const SavedImage&) = delete;
    SavedImage& operator=(const SavedImage&) = delete;
    std::span<const formats::ByteView> Pieces() const { return pieces_; }

private:
    formats::Bytes chunk_;
    formats::Bytes fill_;
    std::vector<formats::ByteView> pieces_;
};

// The same file in one buffer.
formats::Bytes BuildFirmwareImage(const ToneBank& bank);

// How the rebuilt chain fits the loaded image.
struct ChainFit {
    std::size_t overwritten = 0;      // tail bytes the grown chain covers
    std::size_t overwrittenData = 0;  // ... of which are not 0xFF
    std::size_t grownBy = 0;          // bytes by which the file gets longer than the loaded image
    std::size_t freed = 0;            // bytes filled with 0xFF before the old chain end
};
ChainFit FitChain(const ToneBank& bank);

// The bytes the TONE chunk can still grow by: behind the chunk chain lies erased flash (0xFF)
// up to the next data or the end of the image, and a save keeps the tail where it is, so the
// rebuilt chain may take what the chunk held before plus that erased run, no more (see
// FitChain). Nothing when no firmware is loaded: a bare tone bank has no bound of its own.
std::optional<std::size_t> FreeToneRoom(const ToneBank& bank);

// Whether one more melody record fits the bank: in the bank's text format (the record is
// converted as an import converts it), within the free room, and below 300 melodies.
struct RecordRoom {
    std::size_t freeBytes = 0;
    std::size_t recordBytes = 0;  // the record in the bank's text format
    bool fits = false;
    std::vector<std::string> problems;  // why not, one sentence each
};
// Needs a loaded firmware image. The conversion's error for a record it cannot read.
formats::Result<RecordRoom> RoomForRecord(const ToneBank& bank, formats::ByteView record);

// The text format is told from the first melody, so a bank without melodies always loads as
// ASCII.
inline constexpr std::string_view kEmptyUnicodeBank =
    "The bank has no melodies: the saved image will load as an ASCII bank, and melodies added to it then get "
    "ASCII names, which the 6210 and 7110 do not show.";

// One question asked before a save, in the order they come.
enum class WarningIcon { None, Exclamation };
enum class WarningButtons { Ok, OkCancel };
enum class CancelEffect {
    None,           // only OK can be answered
    EndIndexCheck,  // skip the remaining warnings of this kind and go on
    AbortSave,      // write nothing
};
struct SaveWarning {
    std::string text;
    WarningIcon icon = WarningIcon::None;
    WarningButtons buttons = WarningButtons::Ok;
    CancelEffect cancelEffect = CancelEffect::None;

    friend bool operator==(const SaveWarning&, const SaveWarning&) = default;
};

// One OK/Cancel warning per pair of list positions i < j whose records share an index:
// line j + " has the same index " + index + " as " + line i + ". Please correct it."
std::vector<SaveWarning> CheckUniqueIndexes(const ToneBank& bank);

// Every warning of a save, in order: too many melodies for an ASCII phone (more than 65);
// no firmware loaded; an empty Unicode bank (kEmptyUnicodeBank); shared indexes; the rebuilt chain covering tail bytes
// that hold data or making the image longer than it was (Cancel aborts the save).
std::vector<SaveWarning> SaveWarnings(const ToneBank& bank);

// Walks the warnings through `ask`, which shows one and returns true for OK, false for
// Cancel. Returns false when the save is to be abandoned.
bool ConfirmSave(const std::vector<SaveWarning>& warnings, const std::function<bool(const SaveWarning&)>& ask);

// Builds the image and writes it atomically: a failed save leaves the target as it was.
formats::Result<void> SaveFirmware(const std::filesystem::path& path, const ToneBank& bank,
                                   const formats::WriteFault* fault = nullptr);

}  // namespace belltower::bank
