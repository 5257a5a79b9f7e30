// SPDX-License-Identifier: GPL-3.0-or-later
// belltower-cli: the command-line program. Everything happens in Run; main only hands it the
// process's arguments and streams.
#include <cstddef>
#include <exception>
#include <iostream>
#include <span>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "formats/file_io.h"

int main(int argc, char** argv) {
    // An interrupted save leaves no temporary file behind.
    belltower::formats::RemoveTemporariesOnSignals();
    try {
        const std::span<char*> all(argv, static_cast<std::size_t>(argc));
        std::vector<std::string> args;
        for (const char* arg : all.subspan(all.empty() ? 0 : 1)) {
            args.emplace_back(arg);
        }
        return belltower::cli::Run(args, std::cin, std::cout, std::cerr);
    } catch (const std::exception& error) {
        std::cerr << "belltower-cli: internal error: " << error.what() << '\n';
    } catch (...) {
        std::cerr << "belltower-cli: internal error\n";
    }
    return static_cast<int>(belltower::cli::ExitStatus::Internal);
}
