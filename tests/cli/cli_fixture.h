// Running belltower-cli in-process, in a scratch folder of its own.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstddef>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "formats/bytes.h"
#include "formats/file_io.h"

namespace belltower::cli {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

// One command line, with `input` as standard input.
inline Outcome RunCli(const std::vector<std::string>& args, const std::string& input = "") {
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    Outcome outcome;
    outcome.status = Run(args, in, out, err);
    outcome.out = out.str();
    outcome.err = err.str();
    return outcome;
}

inline formats::Bytes AsBytes(const std::string& text) {
    return formats::ToBytes(text);
}
inline std::string AsText(formats::ByteView bytes) {
    return formats::ToText(bytes);
}

class Cli : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "belltower-cli-XXXXXX").string();
        ASSERT_NE(nullptr, ::mkdtemp(pattern.data()));
        dir_ = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    std::string Write(const std::string& name, const std::string& text) const { return Write(name, AsBytes(text)); }
    std::string Write(const std::string& name, formats::ByteView bytes) const {
        EXPECT_TRUE(formats::WriteFileAtomic(Path(name), bytes));
        return Path(name);
    }
    std::optional<formats::Bytes> Read(const std::string& name) const {
        auto bytes = formats::ReadFileBytes(Path(name));
        return bytes ? std::optional<formats::Bytes>(*bytes) : std::nullopt;
    }
    std::size_t EntryCount() const {
        std::size_t count = 0;
        for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir_)) {
            ++count;
        }
        return count;
    }

    std::filesystem::path dir_;
};

}  // namespace belltower::cli
