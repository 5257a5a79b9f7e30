// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/file_io.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <random>
#include <set>
#include <utility>
#include <vector>

namespace belltower::formats {
namespace {

namespace fs = std::filesystem;

Error IoError(const fs::path& path, int errorNumber) {
    return MakeError(ErrorCode::Io, path.string() + ": " + std::strerror(errorNumber));
}

Error IoError(const fs::path& path, const std::string& reason) {
    return MakeError(ErrorCode::Io, path.string() + ": " + reason);
}

// ---- Temporary files the signal handlers remove ------------------------------------------

// The paths of temporary files that exist right now. Changed only with the three signals
// blocked, so a handler never sees it half changed; the handler only walks it and unlinks.
std::set<std::string>& LiveTemporaries() {
    static std::set<std::string> live;
    return live;
}
std::mutex liveMutex;

class SignalsBlocked {
public:
    SignalsBlocked() {
        sigset_t blocked;
        ::sigemptyset(&blocked);
        ::sigaddset(&blocked, SIGINT);
        ::sigaddset(&blocked, SIGTERM);
        ::sigaddset(&blocked, SIGHUP);
        ::pthread_sigmask(SIG_BLOCK, &blocked, &previous_);
    }
    ~SignalsBlocked() { ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    SignalsBlocked(const SignalsBlocked&) = delete;
    SignalsBlocked& operator=(const SignalsBlocked&) = delete;

private:
    sigset_t previous_{};
};

void Register(const std::string& temporary) {
    const std::lock_guard lock(liveMutex);
    const SignalsBlocked blocked;
    LiveTemporaries().insert(temporary);
}

void Forget(const std::string& temporary) {
    const std::lock_guard lock(liveMutex);
    const SignalsBlocked blocked;
    LiveTemporaries().erase(temporary);
}

template <typename Range, typename PathOf>
void ForgetAll(const Range& files, PathOf pathOf) {
    const std::lock_guard lock(liveMutex);
    const SignalsBlocked blocked;
    for (const auto& file : files) {
        LiveTemporaries().erase(pathOf(file));
    }
}

void RemoveAndForget(const std::string& temporary) {
    ::unlink(temporary.c_str());
    Forget(temporary);
}

extern "C" void OnTerminatingSignal(int signalNumber) {
    for (const std::string& temporary : LiveTemporaries()) {
        ::unlink(temporary.c_str());
    }
    ::signal(signalNumber, SIG_DFL);
    ::raise(signalNumber);
}

// ---- Writing -------------------------------------------------------------------------------

// A short name, whatever the length of the target's: a name of 255 bytes is legal, and a
// temporary name built from it would not be.
fs::path TemporaryIn(const fs::path& folder) {
    static thread_local std::mt19937_64 random{std::random_device{}()};
    static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string name = ".belltower-";
    for (int i = 0; i < 10; ++i) {
        name += kDigits[random() % 36];
    }
    return folder / (name + ".tmp");
}

// Writes everything, retrying after interruptions; the fault cuts the write short.
int WriteAll(int fd, std::span<const ByteView> pieces, const WriteFault* fault) {
    std::size_t total = 0;
    for (const ByteView piece : pieces) {
        std::size_t written = 0;
        while (written < piece.size()) {
            std::size_t chunk = piece.size() - written;
            if (fault != nullptr) {
                if (total >= fault->failAfterBytes) {
                    return EIO;
                }
                chunk = std::min(chunk, fault->failAfterBytes - total);
            }
            const ssize_t put = ::write(fd, piece.data() + written, chunk);
            if (put < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return errno;
            }
            written += static_cast<std::size_t>(put);
            total += static_cast<std::size_t>(put);
        }
    }
    return 0;
}

// /dev/stdout, /dev/fd/N and /proc/self/fd/N name descriptors this process already holds; a
// socket among them cannot be opened again by name.
int InheritedDescriptor(const fs::path& path) {
    const std::string text = path.string();
    for (const std::string_view prefix : {"/dev/fd/", "/proc/self/fd/"}) {
        if (text.starts_with(prefix)) {
            int fd = -1;
            const char* first = text.data() + prefix.size();
            const char* last = text.data() + text.size();
            if (const auto [end, error] = std::from_chars(first, last, fd); error == std::errc() && end == last) {
                return fd;
            }
        }
    }
    if (text == "/dev/stdout") {
        return STDOUT_FILENO;
    }
    if (text == "/dev/stderr") {
        return STDERR_FILENO;
    }
    return -1;
}

Result<void> WriteStream(const fs::path& path, std::span<const ByteView> pieces, const WriteFault* fault) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0 && errno == ENXIO) {
        const int inherited = InheritedDescriptor(path);
        fd = inherited >= 0 ? ::fcntl(inherited, F_DUPFD_CLOEXEC, 0) : -1;
        if (fd < 0) {
            errno = ENXIO;
        }
    }
    if (fd < 0) {
        return IoError(path, errno);
    }
    const int error = WriteAll(fd, pieces, fault);
    if (::close(fd) != 0 && error == 0) {
        return IoError(path, errno);
    }
    return error == 0 ? Result<void>{} : Result<void>{IoError(path, error)};
}

// A temporary file beside target holding the pieces, not yet flushed. Its path, or the error
// (the file then removed).
Result<std::string> WriteTemporary(const OutputTarget& target, std::span<const ByteView> pieces,
                                   const WriteFault* fault) {
    const fs::path folder = target.path.parent_path().empty() ? fs::path(".") : target.path.parent_path();
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = TemporaryIn(folder).string();
        Register(temporary);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0) {
            const int error = errno;
            Forget(temporary);
            if (error != EEXIST) {
                return IoError(target.path, error);
            }
        }
    }
    if (fd < 0) {
        return IoError(target.path, EEXIST);
    }
    int error = WriteAll(fd, pieces, fault);
    // The replaced file keeps its permissions and, when we may give it, its owner.
    struct stat existing {};
    if (error == 0 && target.exists && ::stat(target.path.c_str(), &existing) == 0) {
        if (::fchown(fd, existing.st_uid, existing.st_gid) != 0) {
            (void)::fchown(fd, static_cast<uid_t>(-1), existing.st_gid);
        }
        ::fchmod(fd, existing.st_mode & 07777);
    }
    if (::close(fd) != 0 && error == 0) {
        error = errno;
    }
    if (error != 0) {
        RemoveAndForget(temporary);
        return IoError(target.path, error);
    }
    return temporary;
}

int SyncPath(const fs::path& path, bool wholeFileSystem) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return errno;
    }
    const int result = wholeFileSystem ? ::syncfs(fd) : ::fsync(fd);
    const int error = result == 0 ? 0 : errno;
    ::close(fd);
    return error;
}

// The whole pages inside bytes, as an address and a length (length 0: none).
std::pair<void*, std::size_t> WholePages(std::span<std::uint8_t> bytes, std::uintptr_t pageSize) {
    const auto begin = reinterpret_cast<std::uintptr_t>(bytes.data());
    const std::uintptr_t first = (begin + pageSize - 1) / pageSize * pageSize;
    const std::uintptr_t last = (begin + bytes.size()) / pageSize * pageSize;
    if (last <= first) {
        return {nullptr, 0};
    }
    return {bytes.data() + (first - begin), last - first};
}

fs::path FolderOf(const fs::path& file) {
    return file.parent_path().empty() ? fs::path(".") : file.parent_path();
}

}  // namespace

// ---- Buffers -------------------------------------------------------------------------------

void PreferLargePages(std::span<std::uint8_t> bytes) {
    constexpr std::uintptr_t kLargePage = std::uintptr_t{2} * 1024 * 1024;
    if (const auto [address, length] = WholePages(bytes, kLargePage); length > 0) {
        ::madvise(address, length, MADV_HUGEPAGE);
    }
}

void ReleaseMemory(std::span<std::uint8_t> bytes) {
    const auto [address, length] = WholePages(bytes, static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE)));
    if (length > 0) {
        ::madvise(address, length, MADV_DONTNEED);
    }
}

// ---- Reading -------------------------------------------------------------------------------

std::string SizeText(std::size_t bytes) {
    constexpr std::size_t kMegabyte = std::size_t{1024} * 1024;
    if (bytes >= kMegabyte && bytes % kMegabyte == 0) {
        return std::to_string(bytes / kMegabyte) + " MB";
    }
    return std::to_string(bytes) + " bytes";
}

Result<Bytes> ReadFileBytes(const fs::path& path, std::size_t maxBytes, std::string_view limitNote) {
    const auto tooLarge = [&] {
        return MakeError(ErrorCode::Limit,
                         path.string() + ": the file is larger than " + SizeText(maxBytes) + std::string(limitNote));
    };
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return IoError(path, errno);
    }
    Bytes data;
    // Firmware images run to several megabytes: size the buffer once instead of growing it.
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        if (static_cast<std::uintmax_t>(info.st_size) > maxBytes) {
            ::close(fd);
            return tooLarge();
        }
        data.reserve(static_cast<std::size_t>(info.st_size));
        PreferLargePages(std::span<std::uint8_t>(data.data(), data.capacity()));
        data.resize(static_cast<std::size_t>(info.st_size));
    }
    // A regular file is read up to the size it had when opened; anything else (a pipe, a
    // device) until its end, through a small buffer once the first one is full.
    const bool knownSize = !data.empty();
    std::size_t filled = 0;
    std::uint8_t probe[65536];
    for (;;) {
        const bool full = filled == data.size();
        if (full && knownSize) {
            break;
        }
        const ssize_t got =
            full ? ::read(fd, probe, sizeof probe) : ::read(fd, data.data() + filled, data.size() - filled);
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
        const auto count = static_cast<std::size_t>(got);
        if (full) {
            if (count > maxBytes - filled) {
                ::close(fd);
                return tooLarge();
            }
            data.insert(data.end(), probe, probe + count);
        }
        filled += count;
    }
    ::close(fd);
    data.resize(filled);
    return data;
}

// ---- Mapped files ----------------------------------------------------------------------------

bool IsRegularFile(const fs::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

Result<MappedFile> MappedFile::Open(const fs::path& path, std::size_t maxBytes, std::string_view limitNote) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return IoError(path, errno);
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return IoError(path, "it is not a regular file.");
    }
    const auto size = static_cast<std::uintmax_t>(info.st_size);
    if (size > maxBytes) {
        ::close(fd);
        return MakeError(ErrorCode::Limit,
                         path.string() + ": the file is larger than " + SizeText(maxBytes) + std::string(limitNote));
    }
    if (size == 0) {
        return MappedFile(fd, nullptr, 0, path);
    }
    void* data = ::mmap(nullptr, static_cast<std::size_t>(size), PROT_READ, MAP_PRIVATE, fd, 0);
    if (data == MAP_FAILED) {
        const int error = errno;
        ::close(fd);
        return IoError(path, error);
    }
    return MappedFile(fd, static_cast<const std::uint8_t*>(data), static_cast<std::size_t>(size), path);
}

MappedFile::MappedFile(MappedFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)), path_(std::move(other.path_)) {}

void MappedFile::Unmap() {
    if (data_ != nullptr) {
        ::munmap(const_cast<std::uint8_t*>(data_), size_);
        data_ = nullptr;
    }
}

MappedFile::~MappedFile() {
    Unmap();
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

Result<Bytes> MappedFile::Copy(std::size_t offset, std::size_t count) const {
    Bytes copy;
    copy.reserve(count);
    PreferLargePages(std::span<std::uint8_t>(copy.data(), copy.capacity()));
    copy.resize(count);
    std::size_t filled = 0;
    while (filled < count) {
        const ssize_t got = ::pread(fd_, copy.data() + filled, count - filled, static_cast<off_t>(offset + filled));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return IoError(path_, got < 0 ? errno : EIO);
        }
        filled += static_cast<std::size_t>(got);
    }
    return copy;
}

// ---- Where a save goes ---------------------------------------------------------------------

Result<OutputTarget> ResolveOutput(const fs::path& target) {
    OutputTarget result;
    result.path = target;
    struct stat info {};
    if (::stat(target.c_str(), &info) != 0) {
        const int error = errno;
        struct stat link {};
        if (error == ENOENT && ::lstat(target.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
            std::error_code ec;
            const fs::path to = fs::read_symlink(target, ec);
            return IoError(target, "it is a symbolic link to " + to.string() + ", which does not exist; not written.");
        }
        if (error != ENOENT) {
            return IoError(target, error);
        }
        return result;  // a new file
    }
    if (S_ISDIR(info.st_mode)) {
        return IoError(target, EISDIR);
    }
    if (S_ISCHR(info.st_mode) || S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode)) {
        result.kind = OutputKind::Stream;
        return result;
    }
    if (!S_ISREG(info.st_mode)) {
        return IoError(target, "it is neither a regular file nor a device, pipe or socket to write into; not written.");
    }
    result.exists = true;
    // Replace the file a link names, beside that file; the link stays.
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(target, ec))) {
        const fs::path resolved = fs::canonical(target, ec);
        if (ec) {
            return IoError(target, ec.value());
        }
        result.path = resolved;
    }
    // Root may write anything: to root a file is read-only when nobody has a write bit.
    result.readOnly =
        ::geteuid() == 0 ? (info.st_mode & 0222) == 0 : ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0;
    return result;
}

Result<void> WriteFileAtomic(const fs::path& target, std::span<const ByteView> pieces, const WriteFault* fault) {
    const auto resolved = ResolveOutput(target);
    if (!resolved) {
        return resolved.error();
    }
    if (resolved->kind == OutputKind::Stream) {
        return WriteStream(resolved->path, pieces, fault);
    }
    const auto temporary = WriteTemporary(*resolved, pieces, fault);
    if (!temporary) {
        return temporary.error();
    }
    const int fd = ::open(temporary->c_str(), O_WRONLY | O_CLOEXEC);
    int error = fd < 0 ? errno : 0;
    if (fd >= 0) {
        if (::fsync(fd) != 0) {
            error = errno;
        }
        ::close(fd);
    }
    if (error == 0 && ::rename(temporary->c_str(), resolved->path.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        RemoveAndForget(*temporary);
        return IoError(target, error);
    }
    Forget(*temporary);
    // The rename itself lasts once the folder is on disk.
    (void)SyncPath(FolderOf(resolved->path), false);
    return {};
}

Result<void> WriteFileAtomic(const fs::path& target, ByteView data, const WriteFault* fault) {
    const ByteView pieces[] = {data};
    return WriteFileAtomic(target, pieces, fault);
}

// ---- Batches ---------------------------------------------------------------------------------

struct FileBatch::State {
    struct Pending {
        std::string temporary;
        fs::path target;
    };
    std::vector<Pending> pending;
    std::size_t committed = 0;  // streams written and files renamed
};

FileBatch::FileBatch() : state_(std::make_unique<State>()) {}

FileBatch::~FileBatch() {
    for (const State::Pending& file : state_->pending) {
        RemoveAndForget(file.temporary);
    }
}

std::size_t FileBatch::Committed() const {
    return state_->committed;
}

Result<void> FileBatch::Add(const fs::path& target, ByteView data) {
    const auto resolved = ResolveOutput(target);
    if (!resolved) {
        return resolved.error();
    }
    return Add(*resolved, data);
}

Result<void> FileBatch::Add(const OutputTarget& target, ByteView data) {
    const ByteView pieces[] = {data};
    if (target.kind == OutputKind::Stream) {
        auto written = WriteStream(target.path, pieces, nullptr);
        if (written) {
            ++state_->committed;
        }
        return written;
    }
    auto temporary = WriteTemporary(target, pieces, nullptr);
    if (!temporary) {
        return temporary.error();
    }
    state_->pending.push_back({std::move(*temporary), target.path});
    return {};
}

Result<void> FileBatch::Commit() {
    std::vector<State::Pending> pending = std::move(state_->pending);
    state_->pending.clear();
    // One flush for the whole file system of each folder holds every temporary file at once.
    std::set<dev_t> flushed;
    std::set<fs::path> folders;
    const auto fail = [&](std::size_t from, const fs::path& target, int error) {
        for (std::size_t i = from; i < pending.size(); ++i) {
            RemoveAndForget(pending[i].temporary);
        }
        return IoError(target, error);
    };
    for (const State::Pending& file : pending) {
        const fs::path folder = FolderOf(file.target);
        if (!folders.insert(folder).second) {
            continue;  // flushed already
        }
        struct stat info {};
        if (::stat(folder.c_str(), &info) != 0) {
            return fail(0, file.target, errno);
        }
        if (flushed.insert(info.st_dev).second) {  // the first of these folders on its file system
            if (const int error = SyncPath(folder, true); error != 0) {
                return fail(0, file.target, error);
            }
        }
    }
    // Renamed files are forgotten together: a signal in between only unlinks names that are
    // gone.
    std::size_t renamed = 0;
    const auto forgetRenamed = [&] {
        ForgetAll(std::span(pending).first(renamed),
                  [](const State::Pending& file) -> const std::string& { return file.temporary; });
    };
    for (; renamed < pending.size(); ++renamed) {
        if (::rename(pending[renamed].temporary.c_str(), pending[renamed].target.c_str()) != 0) {
            const int error = errno;
            forgetRenamed();
            return fail(renamed, pending[renamed].target, error);
        }
        ++state_->committed;
    }
    forgetRenamed();
    for (const fs::path& folder : folders) {
        (void)SyncPath(folder, false);
    }
    return {};
}

// ---- Locks -----------------------------------------------------------------------------------

Result<EditLock> EditLock::Acquire(const fs::path& path, const std::function<void()>& onWait) {
    // Opening a FIFO waits for a writer that may never come, and a stream cannot be replaced
    // by a saved copy anyway: only a regular file is edited in place.
    if (struct stat info{}; ::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        return IoError(path, "it is not a regular file; only a regular file can be edited in place.");
    }
    bool told = false;
    for (;;) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            if (errno == ENOENT) {
                return EditLock(-1);
            }
            return IoError(path, errno);
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            if (errno != EWOULDBLOCK) {
                const int error = errno;
                ::close(fd);
                return IoError(path, error);
            }
            if (!told && onWait) {
                onWait();
                told = true;
            }
            int result = 0;
            while ((result = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
            }
            if (result != 0) {
                const int error = errno;
                ::close(fd);
                return IoError(path, error);
            }
        }
        // The editor we waited for saved by renaming a new file over the old one: the lock
        // then belongs to a file nobody sees any more, and the new one is locked instead.
        struct stat locked {};
        struct stat current {};
        if (::fstat(fd, &locked) == 0 && ::stat(path.c_str(), &current) == 0 && locked.st_dev == current.st_dev &&
            locked.st_ino == current.st_ino) {
            return EditLock(fd);
        }
        ::close(fd);
    }
}

EditLock::EditLock(EditLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

EditLock& EditLock::operator=(EditLock&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

EditLock::~EditLock() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

void RemoveTemporariesOnSignals() {
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction previous {};
        ::sigaction(signalNumber, nullptr, &previous);
        if (previous.sa_handler == SIG_IGN) {
            continue;
        }
        struct sigaction action {};
        action.sa_handler = OnTerminatingSignal;
        ::sigemptyset(&action.sa_mask);
        ::sigaction(signalNumber, &action, nullptr);
    }
}

std::string FolderOfPath(const std::string& path) {
    const auto last = path.find_last_of("/\\");
    return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

}  // namespace belltower::formats
