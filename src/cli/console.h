// SPDX-License-Identifier: GPL-3.0-or-later
// The shell around a command: its three streams, "-" for standard input and output, and the
// way messages are reported.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>

#include "cli/cli.h"
#include "formats/bytes.h"
#include "formats/file_io.h"
#include "formats/result.h"

namespace belltower::cli {

// The path that stands for standard input (as an input) or standard output (as an output).
inline constexpr std::string_view kStandardStream = "-";

// The largest inputs read. Ringtone text and RE files are a few hundred bytes; flash images of
// the phones are 2 to 16 MB.
inline constexpr std::size_t kMaxMelodyInputBytes = std::size_t{1024} * 1024;
inline constexpr std::size_t kDefaultMaxImageMegabytes = 64;

// Options that hold for every command.
struct GlobalOptions {
    // Answer OK where the window asks OK or Cancel, and replace read-only files; without it
    // such a command refuses.
    bool force = false;
    // Firmware images larger than this are refused before they are read.
    std::size_t maxImageMegabytes = kDefaultMaxImageMegabytes;
};

// What an input is, for its size limit.
enum class InputKind { Melody, Image };
struct InputLimit {
    std::size_t maxBytes = 0;
    std::string note;  // ends the refusal's message
};

class Console {
public:
    Console(std::istream& in, std::ostream& out, std::ostream& err, GlobalOptions global = {})
        : in_(in), out_(out), err_(err), global_(global) {}

    // The whole file at path, or all of standard input for "-". Io error naming the path
    // ("standard input" for "-"); standard input can be read once per run. Limit error naming
    // it, before it is read whole, when it is larger than its kind may be (kMaxMelodyInputBytes;
    // GlobalOptions::maxImageMegabytes).
    formats::Result<formats::Bytes> ReadInput(const std::string& path, InputKind kind = InputKind::Melody);

    // The bytes written to path as formats::WriteFileAtomic writes them (a link followed, a
    // device or pipe written into), or to standard output for "-". Io error naming the path
    // ("standard output" for "-"); CheckReplace's refusal.
    formats::Result<void> WriteOutput(const std::string& path, formats::ByteView bytes);
    formats::Result<void> WriteOutput(const std::string& path, std::span<const formats::ByteView> pieces);

    // Where a file output goes (formats::ResolveOutput). A read-only file is replaced only with
    // --force, as the window asks before replacing a file: Io error naming it otherwise.
    formats::Result<formats::OutputTarget> CheckReplace(const std::string& path) const;

    // The size limit of an input of this kind.
    InputLimit Limit(InputKind kind) const;

    const GlobalOptions& Global() const { return global_; }

    // A message the window shows with an OK button: written to the error stream, the
    // command goes on.
    void Warn(std::string_view message);

    // A question the window asks with OK and Cancel before something risky. With --force the
    // answer is OK: the question is printed as a warning and the result is true. Without it
    // the question is printed with the way to go on anyway, and the result is false: the
    // command then refuses (ExitStatus::Refused) and writes nothing.
    bool Ask(std::string_view question, const GlobalOptions& global);

    // A failure the window reports in a message box: written to the error stream.
    // Returns ExitStatus::Refused for the command to end with.
    ExitStatus Refuse(std::string_view message);

    // A command line that cannot be carried out as given (found after parsing): the message
    // and a pointer to --help. Returns ExitStatus::Usage.
    ExitStatus UsageError(std::string_view message);

    std::ostream& Out() { return out_; }

    // The end of a command that printed to Out(): the stream flushed, so that a closed pipe or
    // a full disk is reported (ExitStatus::Refused) rather than lost at exit; Done otherwise.
    ExitStatus FinishOut();

private:
    std::istream& in_;
    std::ostream& out_;
    std::ostream& err_;
    GlobalOptions global_;
    bool inputTaken_ = false;
};

// How a path is named in messages: the path itself, or "standard input" for "-".
std::string InputName(const std::string& path);

}  // namespace belltower::cli
