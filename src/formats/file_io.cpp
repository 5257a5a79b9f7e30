#include "formats/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

namespace belltower::formats {
namespace {

Error IoError(const std::filesystem::path& path, int errorNumber) {
    return MakeError(ErrorCode::Io, path.string() + ": " + std::strerror(errorNumber));
}

std::filesystem::path TemporarySibling(const std::filesystem::path& target) {
    static thread_local std::mt19937_64 random{std::random_device{}()};
    const auto name = "." + target.filename().string() + ".tmp-" + std::to_string(random() % 1000000000ULL);
    return target.parent_path() / name;
}

}  // namespace

Result<Bytes> ReadFileBytes(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return IoError(path, errno);
    }
    Bytes data;
    // Firmware images run to several megabytes: size the buffer once instead of growing it.
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
        data.reserve(static_cast<std::size_t>(info.st_size));
    }
    std::uint8_t buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int error = errno;
            ::close(fd);
            return IoError(path, error);
        }
        if (got == 0) {
            break;
        }
        data.insert(data.end(), buffer, buffer + got);
    }
    ::close(fd);
    return data;
}

Result<void> WriteFileAtomic(const std::filesystem::path& target, ByteView data, const WriteFault* fault) {
    std::error_code ec;
    if (std::filesystem::is_directory(target, ec)) {
        return IoError(target, EISDIR);
    }
    const std::filesystem::path temporary = TemporarySibling(target);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        return IoError(target, errno);
    }
    const auto fail = [&](int error) -> Result<void> {
        ::close(fd);
        ::unlink(temporary.c_str());
        return IoError(target, error);
    };
    std::size_t written = 0;
    while (written < data.size()) {
        std::size_t chunk = data.size() - written;
        if (fault != nullptr) {
            if (written >= fault->failAfterBytes) {
                return fail(EIO);
            }
            chunk = std::min(chunk, fault->failAfterBytes - written);
        }
        const ssize_t put = ::write(fd, data.data() + written, chunk);
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            return fail(errno);
        }
        written += static_cast<std::size_t>(put);
    }
    // Keep the permissions of a file we replace.
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0) {
        ::fchmod(fd, existing.st_mode & 07777);
    }
    if (::fsync(fd) != 0) {
        return fail(errno);
    }
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return IoError(target, error);
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return IoError(target, error);
    }
    return {};
}

std::string FolderOfPath(const std::string& path) {
    const auto last = path.find_last_of("/\\");
    return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

}  // namespace belltower::formats
