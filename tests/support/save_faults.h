// SPDX-License-Identifier: GPL-3.0-or-later
// The fault row of every save routine: the atomic writer's own tests run each way a write can
// fail; a save above it only has to show that the fault reaches it.
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

// In a scratch folder the save succeeds on a new path; then, over an existing file and with the write failing half-way,
// it reports an Io error and leaves that file byte for byte, with nothing new beside it.
void ExpectFaultKeepsTarget(const SaveCall& save);

}  // namespace belltower::testing
