// SPDX-License-Identifier: GPL-3.0-or-later
// Where the preview's working files live: a private directory of the current user.
//
// The preview always writes the same two names, "$melody$.wav" (the rendered melody, left in
// place for the player) and "$melody$.re" (the edit fields' record on its way to the renderer).
// Fixed names in a folder other users can write to would let one of them plant a link there
// and have Belltower overwrite a file of their choosing, so the names live in a directory that
// only the current user can enter.
#pragma once

#include <filesystem>
#include <optional>

#include "formats/result.h"

namespace belltower::preview {

inline constexpr const char* kMelodyWavName = "$melody$.wav";
inline constexpr const char* kMelodyReName = "$melody$.re";

// True when path is a directory itself (not a link to one), owned by the current user, with
// mode 0700 exactly.
bool IsPrivateDirectory(const std::filesystem::path& path);

// The private directory under the given bases, created when missing:
// - runtimeDir/belltower when runtimeDir is given and is a directory of the current user that
//   no one else may write to (the session's runtime directory);
// - otherwise systemTemp/belltower-<uid>.
// When that path exists but is not a private directory (a link, another owner, other mode),
// it is left alone and a fresh directory systemTemp/belltower-<uid>-XXXXXX is made instead.
// Io error when no private directory can be made.
formats::Result<std::filesystem::path> PrivateTempDirUnder(const std::optional<std::filesystem::path>& runtimeDir,
                                                           const std::filesystem::path& systemTemp);

// PrivateTempDirUnder with $XDG_RUNTIME_DIR (when set) and the system's temporary directory
// ($TMPDIR or /tmp). A fresh fallback directory is remembered for the rest of the run, so
// repeated previews reuse it while it stays private.
formats::Result<std::filesystem::path> PrivateTempDir();

// PrivateTempDir() / "$melody$.wav" and PrivateTempDir() / "$melody$.re".
formats::Result<std::filesystem::path> MelodyWavPath();
formats::Result<std::filesystem::path> MelodyRePath();

}  // namespace belltower::preview
