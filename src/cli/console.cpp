// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/console.h"

#include <istream>
#include <iterator>
#include <ostream>

#include "formats/file_io.h"

namespace belltower::cli {

namespace {
constexpr std::string_view kOutFailed = "standard output: it could not be written.";
}  // namespace

using formats::ErrorCode;
using formats::MakeError;

std::string InputName(const std::string& path) {
    return path == kStandardStream ? std::string("standard input") : path;
}

InputLimit Console::Limit(InputKind kind) const {
    if (kind == InputKind::Image) {
        return {global_.maxImageMegabytes * 1024 * 1024,
                ", the most a firmware image may have here (--max-image-size raises it)."};
    }
    return {kMaxMelodyInputBytes, ", more than any ringtone text or RE file holds."};
}

formats::Result<formats::Bytes> Console::ReadInput(const std::string& path, InputKind kind) {
    const auto [limit, note] = Limit(kind);
    if (path != kStandardStream) {
        return formats::ReadFileBytes(path, limit, note);
    }
    if (inputTaken_) {
        return MakeError(ErrorCode::Io, "standard input: it can be read only once.");
    }
    inputTaken_ = true;
    formats::Bytes data;
    char buffer[65536];
    while (in_.read(buffer, sizeof buffer) || in_.gcount() > 0) {
        const auto got = static_cast<std::size_t>(in_.gcount());
        if (got > limit - data.size()) {
            return MakeError(ErrorCode::Limit, "standard input: it is larger than " + formats::SizeText(limit) + note);
        }
        data.insert(data.end(), buffer, buffer + got);
    }
    if (in_.bad()) {
        return MakeError(ErrorCode::Io, "standard input: it could not be read.");
    }
    return data;
}

formats::Result<formats::OutputTarget> Console::CheckReplace(const std::string& path) const {
    auto target = formats::ResolveOutput(path);
    if (target && target->readOnly && !global_.force) {
        return MakeError(ErrorCode::Io, path + ": the file is read-only; give --force to replace it.");
    }
    return target;
}

formats::Result<void> Console::WriteOutput(const std::string& path, formats::ByteView bytes) {
    const formats::ByteView pieces[] = {bytes};
    return WriteOutput(path, pieces);
}

formats::Result<void> Console::WriteOutput(const std::string& path, std::span<const formats::ByteView> pieces) {
    if (path != kStandardStream) {
        if (const auto allowed = CheckReplace(path); !allowed) {
            return allowed.error();
        }
        return formats::WriteFileAtomic(path, pieces);
    }
    // A binary record goes out as it is; the stream is flushed so that a closed pipe or a
    // full disk is seen here and reported, not lost at exit.
    for (const formats::ByteView piece : pieces) {
        out_.write(reinterpret_cast<const char*>(piece.data()), static_cast<std::streamsize>(piece.size()));
    }
    out_.flush();
    if (!out_) {
        return MakeError(ErrorCode::Io, std::string(kOutFailed));
    }
    return {};
}

ExitStatus Console::FinishOut() {
    out_.flush();
    return out_ ? ExitStatus::Done : Refuse(kOutFailed);
}

void Console::Warn(std::string_view message) {
    err_ << message << '\n';
}

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
