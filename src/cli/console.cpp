#include "cli/console.h"

#include <istream>
#include <iterator>
#include <ostream>

#include "formats/file_io.h"

namespace belltower::cli {

using formats::ErrorCode;
using formats::MakeError;

std::string InputName(const std::string& path) {
    return path == kStandardStream ? std::string("standard input") : path;
}

formats::Result<formats::Bytes> Console::ReadInput(const std::string& path) {
    if (path != kStandardStream) {
        return formats::ReadFileBytes(path);
    }
    if (inputTaken_) {
        return MakeError(ErrorCode::Io, "standard input: it can be read only once.");
    }
    inputTaken_ = true;
    formats::Bytes data;
    char buffer[65536];
    while (in_.read(buffer, sizeof buffer) || in_.gcount() > 0) {
        const auto got = static_cast<std::size_t>(in_.gcount());
        data.insert(data.end(), buffer, buffer + got);
    }
    if (in_.bad()) {
        return MakeError(ErrorCode::Io, "standard input: it could not be read.");
    }
    return data;
}

formats::Result<void> Console::WriteOutput(const std::string& path, formats::ByteView bytes) {
    if (path != kStandardStream) {
        return formats::WriteFileAtomic(path, bytes);
    }
    // A binary record goes out as it is; the stream is flushed so that a closed pipe or a
    // full disk is seen here and reported, not lost at exit.
    out_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out_.flush();
    if (!out_) {
        return MakeError(ErrorCode::Io, "standard output: it could not be written.");
    }
    return {};
}

void Console::Warn(std::string_view message) { err_ << message << '\n'; }

bool Console::Ask(std::string_view question, const GlobalOptions& global) {
    err_ << question << '\n';
    if (!global.force) {
        err_ << "Not done: give --force to answer OK.\n";
    }
    return global.force;
}

ExitStatus Console::Refuse(std::string_view message) {
    err_ << message << '\n';
    return ExitStatus::Refused;
}

ExitStatus Console::UsageError(std::string_view message) {
    err_ << message << "\nRun with --help for more information.\n";
    return ExitStatus::Usage;
}

}  // namespace belltower::cli
