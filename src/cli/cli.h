// SPDX-License-Identifier: GPL-3.0-or-later
// belltower-cli: the desktop program's commands from a shell, over the same core.
//
// Every command behaves as the window does for the same action and says the same things:
// a warning the window shows with OK goes to the error stream and the command goes on; where
// the window would ask OK or Cancel the command refuses unless --force is given; a failure the
// window reports in a message box refuses the command with that message.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace belltower::cli {

// The process exit status of a run.
enum class ExitStatus : int {
    Done = 0,      // every output written
    Refused = 1,   // the command (or, with several inputs, one of them) failed; the message is on err
    Usage = 2,     // the command line is wrong; nothing was read or written
    Internal = 3,  // an unforeseen failure inside the program (main's last-resort catch)
};

// Runs one command line. args are the arguments after the program name. "-" as an input reads
// `in`, as an output writes `out`; help and --version go to `out`; messages go to `err`.
// Returns the ExitStatus as an int. Output files are replaced atomically: after a failure an
// existing file is left byte for byte and no new file appears.
// Throws only for programming errors (a command table that CLI11 rejects, out of memory).
int Run(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace belltower::cli
