// Fault injection for the save commands: a save is sent into places where writing fails and
// must report the failure and leave whatever stood there byte for byte.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>

#include "formats/file_io.h"
#include "formats/result.h"

namespace belltower::testing {

// One save to `path`, passing `fault` on to formats::WriteFileAtomic (nullptr: no fault).
// Returns the save's failure, or nothing when it reports success.
using SaveCall =
    std::function<std::optional<formats::Error>(const std::filesystem::path& path, const formats::WriteFault* fault)>;

// In a fresh scratch folder: the save first succeeds on a new path (so the failures below are
// the places' doing and not the save's), then it must fail with an Io error, leave the folder
// exactly as it was (every file byte for byte, no temporary file left) when
//   - the write fails at the first byte, half-way, and at the last byte, over an existing file;
//   - the path's parent is a regular file;
//   - the path is a directory (holding a file).
void ExpectFailedSavesLeaveTargets(const SaveCall& save);

// The same check for a folder without write permission, holding the target. Permission bits
// do not stop root: callers skip this case when PermissionBitsStopWrites() is false.
void ExpectReadOnlyFolderKeepsTarget(const SaveCall& save);
bool PermissionBitsStopWrites();

}  // namespace belltower::testing
