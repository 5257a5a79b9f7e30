// The file edge of the core: whole files in, whole files out, never a half-written target.
#pragma once

#include <cstddef>
#include <filesystem>
#include <limits>

#include "formats/bytes.h"
#include "formats/result.h"

namespace belltower::formats {

// The whole file. Io error with the operating system's description when it cannot be
// opened or read.
Result<Bytes> ReadFileBytes(const std::filesystem::path& path);

// Fault injection for tests of the save paths: the write fails once this many bytes of the
// temporary file have been written.
struct WriteFault {
    std::size_t failAfterBytes = std::numeric_limits<std::size_t>::max();
};

// Writes the bytes to a temporary file in the target's folder, flushes it to disk and renames
// it over the target. On any failure the temporary file is removed and the target is left as
// it was, byte for byte; the error carries the operating system's description.
Result<void> WriteFileAtomic(const std::filesystem::path& target, ByteView data, const WriteFault* fault = nullptr);

// Paths typed or stored the Windows way ("C:\tones\a.re") are accepted: a backslash counts as
// a folder separator when the folder part of a path is taken.
// The folder of a path up to and including its last separator ("/" or "\"); empty if none.
std::string FolderOfPath(const std::string& path);

}  // namespace belltower::formats
