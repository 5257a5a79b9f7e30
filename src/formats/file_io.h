// SPDX-License-Identifier: GPL-3.0-or-later
// The file edge of the core: whole files in, whole files out, never a half-written target.
//
// A save goes to a temporary file in the folder of the file it replaces, is flushed to disk and
// renamed over it, so a reader sees either the old file or the whole new one. A symbolic link
// is followed to the file it names, which is replaced beside itself (the link stays a link); a
// character device, a pipe or a socket (/dev/stdout, a FIFO) is written into directly, since
// it cannot be replaced. The replaced file keeps its permissions and, where the system allows,
// its owner. Temporary files are removed after any failure and, once
// RemoveTemporariesOnSignals has been called, when the program is interrupted.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <limits>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "formats/bytes.h"
#include "formats/result.h"

namespace belltower::formats {

inline constexpr std::size_t kNoSizeLimit = std::numeric_limits<std::size_t>::max();

// The whole file. Io error with the operating system's description when it cannot be opened
// or read. A file larger than maxBytes is refused (Limit) before it is read whole: a regular
// file by its size, a pipe or a device once more than maxBytes have come from it. The message
// names the path and the limit, followed by limitNote (" ..." appended as given).
Result<Bytes> ReadFileBytes(const std::filesystem::path& path, std::size_t maxBytes = kNoSizeLimit,
                            std::string_view limitNote = {});

// A regular file mapped read-only: its layout can be read in place, and only the parts kept
// are copied out (by reading them, not through the mapping). The file must not shrink while it
// is mapped.
class MappedFile {
public:
    // Io error naming the path when it cannot be opened or is not a regular file; Limit as
    // ReadFileBytes when it is larger than maxBytes.
    static Result<MappedFile> Open(const std::filesystem::path& path, std::size_t maxBytes = kNoSizeLimit,
                                   std::string_view limitNote = {});
    MappedFile(MappedFile&& other) noexcept;
    MappedFile& operator=(MappedFile&&) = delete;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    ~MappedFile();

    // The file's bytes; empty after Unmap.
    ByteView View() const { return {data_, data_ == nullptr ? 0 : size_}; }
    // Drops the mapping (and the pages it brought in); Copy still works.
    void Unmap();
    // The bytes from offset on, count of them (within the file), in a buffer of their own. Io
    // error when they cannot be read.
    Result<formats::Bytes> Copy(std::size_t offset, std::size_t count) const;

private:
    MappedFile(int fd, const std::uint8_t* data, std::size_t size, std::filesystem::path path)
        : fd_(fd), data_(data), size_(size), path_(std::move(path)) {}
    int fd_ = -1;
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    std::filesystem::path path_;
};

// True when path names a regular file (links followed).
bool IsRegularFile(const std::filesystem::path& path);

// "64 MB", "1 MB", "1536 bytes": a size limit as messages state it.
std::string SizeText(std::size_t bytes);

// Fault injection for tests of the save paths: the write fails once this many bytes of the
// temporary file have been written.
struct WriteFault {
    std::size_t failAfterBytes = std::numeric_limits<std::size_t>::max();
};

// Where a save to a path goes.
enum class OutputKind {
    File,    // a regular file, existing or not: replaced through a temporary file
    Stream,  // a character device, pipe or socket: written into directly
};
struct OutputTarget {
    OutputKind kind = OutputKind::File;
    std::filesystem::path path;  // the file to replace (links resolved), or the stream as named
    bool exists = false;         // a regular file stands there
    bool readOnly = false;       // ... and the user has no write permission on it
};

// Looks at what a path names. Io error naming the path for a symbolic link to nothing, a
// folder, or anything that is neither a regular file nor a stream (a block device, say).
Result<OutputTarget> ResolveOutput(const std::filesystem::path& target);

// Writes the pieces, one after the other, as the file at target (see ResolveOutput): through a
// temporary file in the folder of the resolved file, flushed to disk and renamed over it, or
// straight into a stream. On any failure the temporary file is removed and the target is left
// as it was, byte for byte; the error carries the operating system's description.
Result<void> WriteFileAtomic(const std::filesystem::path& target, std::span<const ByteView> pieces,
                             const WriteFault* fault = nullptr);
Result<void> WriteFileAtomic(const std::filesystem::path& target, ByteView data, const WriteFault* fault = nullptr);

// Many files saved as one: every file goes to its temporary file first, then one flush puts
// them all on disk, then each is renamed over its target and the folders are flushed. Cheaper
// than WriteFileAtomic per file by one disk flush per file, and as safe: a failure before the
// renames leaves every target as it was, and no temporary file outlives the batch.
class FileBatch {
public:
    FileBatch();
    ~FileBatch();  // removes the temporary files of targets not committed
    FileBatch(const FileBatch&) = delete;
    FileBatch& operator=(const FileBatch&) = delete;

    // Writes data for target: into its temporary file, or straight away into a stream. The
    // target is in place only after Commit. Errors as WriteFileAtomic's.
    Result<void> Add(const std::filesystem::path& target, ByteView data);
    // The same for a target already resolved (ResolveOutput), sparing a second look at it.
    Result<void> Add(const OutputTarget& target, ByteView data);

    // Flushes and renames everything added, in the order added. On an error the targets
    // before Committed() are in place, the others as they were.
    Result<void> Commit();

    // How many of the added targets are in place (streams count once written).
    std::size_t Committed() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

// An advisory lock (flock) on a file for a load-edit-save in place: a second editor of the
// same file that takes the lock too waits until the first has saved, then loads the saved file.
class EditLock {
public:
    // Locks the file path names (links followed). When another holds the lock, onWait is called
    // once and the lock is waited for. A missing file is not locked (there is nothing to lose).
    // Io error naming the path when it cannot be opened or is not a regular file (a FIFO).
    static Result<EditLock> Acquire(const std::filesystem::path& path, const std::function<void()>& onWait);

    EditLock(EditLock&& other) noexcept;
    EditLock& operator=(EditLock&& other) noexcept;
    EditLock(const EditLock&) = delete;
    EditLock& operator=(const EditLock&) = delete;
    ~EditLock();

private:
    explicit EditLock(int fd) : fd_(fd) {}
    int fd_ = -1;
};

// Installs handlers for SIGINT, SIGTERM and SIGHUP that remove the temporary files of saves in
// progress before the program ends as the signal would end it. Signals ignored when this is
// called stay ignored.
void RemoveTemporariesOnSignals();

// Large buffers (a firmware image runs to 16 MB). The page-aligned part of bytes is asked to
// be backed by large pages where the system offers them on request, cutting the page faults of
// filling it by a factor of several hundred; nothing happens where it does not.
void PreferLargePages(std::span<std::uint8_t> bytes);
// The whole memory pages inside bytes are handed back to the system; their contents are lost.
// Only for bytes that will not be read again.
void ReleaseMemory(std::span<std::uint8_t> bytes);

// Paths typed or stored the Windows way ("C:\tones\a.re") are accepted: a backslash counts as
// a folder separator when the folder part of a path is taken.
// The folder of a path up to and including its last separator ("/" or "\"); empty if none.
std::string FolderOfPath(const std::string& path);

}  // namespace belltower::formats
