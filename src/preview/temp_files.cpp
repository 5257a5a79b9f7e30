// SPDX-License-Identifier: GPL-3.0-or-later
#include "preview/temp_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

namespace belltower::preview {
namespace {

namespace fs = std::filesystem;
using formats::ErrorCode;
using formats::MakeError;

constexpr mode_t kPrivateMode = 0700;

formats::Error IoError(const fs::path& path, const std::string& what, int errorNumber) {
    return MakeError(ErrorCode::Io, path.string() + ": " + what + ": " + std::strerror(errorNumber));
}

// A base the session's runtime directory may serve as: a real directory of ours that nobody
// else can write to.
bool IsUsableRuntimeDir(const fs::path& path) {
    struct stat info {};
    if (!path.is_absolute() || ::stat(path.c_str(), &info) != 0) {
        return false;
    }
    return S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// Creates path with mode 0700 unless something already stands there; then checks that what
// stands there is private. mkdir never follows a link at the last component, and lstat does
// not either, so a planted link is seen as what it is.
bool MakeOrCheckPrivate(const fs::path& path) {
    const bool created = ::mkdir(path.c_str(), kPrivateMode) == 0;
    if (created) {
        // The umask may have taken bits away. The mode is set through a descriptor opened
        // without following links, so a link swapped in meanwhile is never changed.
        const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) {
            return false;
        }
        ::fchmod(fd, kPrivateMode);
        ::close(fd);
    }
    return IsPrivateDirectory(path);
}

formats::Result<fs::path> MakeFreshPrivate(const fs::path& systemTemp, const std::string& prefix) {
    std::string pattern = (systemTemp / (prefix + "-XXXXXX")).string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (::mkdtemp(buffer.data()) == nullptr) {
        return IoError(systemTemp, "cannot create a private directory", errno);
    }
    const fs::path made(buffer.data());
    if (!IsPrivateDirectory(made)) {
        return MakeError(ErrorCode::Io, made.string() + ": the new preview directory is not private.");
    }
    return made;
}

}  // namespace

bool IsPrivateDirectory(const fs::path& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        return false;
    }
    return S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() && (info.st_mode & 07777) == kPrivateMode;
}

formats::Result<fs::path> PrivateTempDirUnder(const std::optional<fs::path>& runtimeDir, const fs::path& systemTemp) {
    if (runtimeDir && IsUsableRuntimeDir(*runtimeDir)) {
        const fs::path preferred = *runtimeDir / "belltower";
        if (MakeOrCheckPrivate(preferred)) {
            return preferred;
        }
    }
    const std::string prefix = "belltower-" + std::to_string(::geteuid());
    const fs::path preferred = systemTemp / prefix;
    if (MakeOrCheckPrivate(preferred)) {
        return preferred;
    }
    return MakeFreshPrivate(systemTemp, prefix);
}

formats::Result<fs::path> PrivateTempDir() {
    static std::mutex guard;
    static fs::path remembered;
    const std::lock_guard lock(guard);
    if (!remembered.empty() && IsPrivateDirectory(remembered)) {
        return remembered;
    }
    std::optional<fs::path> runtimeDir;
    if (const char* xdg = std::getenv("XDG_RUNTIME_DIR"); xdg != nullptr && *xdg != '\0') {
        runtimeDir = fs::path(xdg);
    }
    std::error_code ec;
    fs::path systemTemp = fs::temp_directory_path(ec);
    if (ec) {
        systemTemp = "/tmp";
    }
    auto made = PrivateTempDirUnder(runtimeDir, systemTemp);
    if (made) {
        remembered = *made;
    }
    return made;
}

formats::Result<fs::path> MelodyWavPath() {
    auto dir = PrivateTempDir();
    if (!dir) {
        return dir.error();
    }
    return *dir / kMelodyWavName;
}

formats::Result<fs::path> MelodyRePath() {
    auto dir = PrivateTempDir();
    if (!dir) {
        return dir.error();
    }
    return *dir / kMelodyReName;
}

}  // namespace belltower::preview
