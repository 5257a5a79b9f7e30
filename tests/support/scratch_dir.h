// SPDX-License-Identifier: GPL-3.0-or-later
// A fresh folder for one test's files, removed with everything in it (read-only folders
// included) when the test ends. No test framework, so benchmarks can use it too.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace belltower::testing {

class ScratchDir {
public:
    explicit ScratchDir(std::string_view purpose = "test") {
        static int count = 0;
        path_ = std::filesystem::temp_directory_path() / ("belltower-" + std::string(purpose) + "-" +
                                                          std::to_string(::getpid()) + "-" + std::to_string(++count));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchDir() {
        std::error_code ec;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, ec)) {
            if (entry.is_directory() && !entry.is_symlink()) {
                std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                             std::filesystem::perm_options::add, ec);
            }
        }
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::filesystem::path& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

}  // namespace belltower::testing
