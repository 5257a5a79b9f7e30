// SPDX-License-Identifier: GPL-3.0-or-later
// The documents against the program: every command --help lists has a synopsis line in the
// command reference (docs/belltower-cli.md) and the manual page, each synopsis shows every
// option of its command with the same value words ("re|rtx|mid|ott") and no option the
// command lacks, no synopsis names a command that is gone, the README gives every exit status,
// and fuzz/README.md lists every harness. A failure names the file, the line and what differs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"

namespace belltower::cli {
namespace {

struct HelpOption {
    std::vector<std::string> names;  // "-o", "--output"
    std::string values;              // the type name when it lists the words taken: "ascii|unicode"
};

struct HelpPage {
    std::vector<std::string> commands;  // under "Subcommands:"
    std::vector<HelpOption> options;    // under "Options:", without --help and --version
    std::string text;
};

std::vector<std::string> Words(const std::string& text) {
    std::istringstream stream(text);
    return {std::istream_iterator<std::string>(stream), std::istream_iterator<std::string>()};
}

std::vector<std::string> Lines(std::istream&& stream) {
    std::vector<std::string> lines;
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    return lines;
}

HelpPage Help(const std::string& path) {
    std::vector<std::string> args = Words(path);
    args.emplace_back("--help");
    std::istringstream in;
    std::ostringstream out, err;
    EXPECT_EQ(Run(args, in, out, err), 0) << path << " --help: " << err.str();
    HelpPage page{{}, {}, out.str()};
    std::string section;
    for (const std::string& line : Lines(std::istringstream(page.text))) {
        // "  -o,--output OUT REQUIRED  The file ..." or "  --to re|rtx|mid|ott:{...}  The format ..."
        std::vector<std::string> words = Words(line.substr(0, line.find("  ", 2)));
        if (!line.empty() && line.back() == ':' && line.front() != ' ') {
            section = line;
        } else if (line.size() <= 2 || !line.starts_with("  ") || line[2] == ' ') {
            continue;
        } else if (section == "Subcommands:") {
            page.commands.push_back(words.front());
        } else if (section == "Options:" && words.front() != "-h,--help" && words.front() != "--version") {
            std::replace(words.front().begin(), words.front().end(), ',', ' ');
            const bool listed = words.size() > 1 && words[1].find('|') != std::string::npos;
            page.options.push_back({Words(words.front()), listed ? words[1].substr(0, words[1].find(':')) : ""});
        }
    }
    return page;
}

// Every command that runs something ("encode", "bank list") with its help page; "" is the
// program's own page.
void CollectCommands(const std::string& path, std::map<std::string, HelpPage>& commands) {
    HelpPage page = Help(path);
    for (const std::string& command : page.commands) {
        CollectCommands(path.empty() ? command : path + " " + command, commands);
    }
    if (page.commands.empty() || path.empty()) {
        commands.emplace(path, std::move(page));
    }
}

std::vector<std::string> Read(const std::string& name) {
    std::ifstream file(std::string(BELLTOWER_SOURCE_DIR) + "/" + name);
    EXPECT_TRUE(file) << name << " cannot be read";
    return Lines(std::move(file));
}

// The manual page's synopsis lines (.BI "encode " IN ...) in plain words.
std::vector<std::string> ManualPage() {
    std::vector<std::string> lines = Read("docs/belltower-cli.1");
    const std::regex escapes(R"(\\f[RBIP]|")");
    for (std::string& line : lines) {
        line = line.starts_with(".BI ") ? "belltower-cli " + std::regex_replace(line.substr(4), escapes, "") : "";
        line = std::regex_replace(line, std::regex(R"(\\-)"), "-");
    }
    return lines;
}

// A synopsis: the program's name, the command's words, then a placeholder in capitals or a
// bracket ("belltower-cli bank move IMAGE FROM TO -o OUT"). Examples, which name real files,
// are none. Returns the command's path, or "" when the line is no synopsis. A line of command
// words alone is `bare`: the synopsis of a command that takes nothing, if one has that path.
std::string SynopsisPath(const std::string& line, bool& bare) {
    bare = false;
    const std::vector<std::string> words = Words(line);
    std::string path;
    for (std::size_t i = 1; i < words.size(); ++i) {
        const auto first = static_cast<unsigned char>(words[i].front());
        if (std::isupper(first) != 0 || first == '[') {
            return words.front() == "belltower-cli" ? path : "";
        }
        if (std::islower(first) == 0) {
            return "";
        }
        path += (path.empty() ? "" : " ") + words[i];
    }
    bare = true;
    return !words.empty() && words.front() == "belltower-cli" ? path : "";
}

// The synopsis shows every option of the command's page with its value words, and no option
// that neither that page nor the program's lists. Brackets are dropped: "[--to re|rtx]".
void ExpectOptionsMatch(const std::string& where, const std::string& synopsis, const std::string& path,
                        const HelpPage& page, const HelpPage& program) {
    std::vector<std::string> words = Words(synopsis);
    std::set<std::string> known;
    for (std::string& word : words) {
        std::erase_if(word, [](char c) { return c == '[' || c == ']'; });
    }
    for (const HelpPage* owner : {&page, &program}) {
        for (const HelpOption& option : owner->options) {
            known.insert(option.names.begin(), option.names.end());
        }
    }
    for (const HelpOption& option : page.options) {
        const auto shown = std::find_first_of(words.begin(), words.end(), option.names.begin(), option.names.end());
        EXPECT_NE(shown, words.end()) << where << " lacks " << option.names.back() << ", which 'belltower-cli " << path
                                      << " --help' lists";
        if (shown != words.end() && !option.values.empty()) {
            EXPECT_EQ(shown + 1 == words.end() ? "" : *(shown + 1), option.values)
                << where << " gives " << *shown << " other values than --help";
        }
    }
    for (const std::string& word : words) {
        EXPECT_TRUE(word.size() < 2 || word.front() != '-' || known.contains(word))
            << where << " shows " << word << ", which 'belltower-cli " << path << " --help' does not list";
    }
}

void ExpectSynopses(const std::string& name, const std::vector<std::string>& lines,
                    const std::map<std::string, HelpPage>& commands) {
    std::set<std::string> documented;
    for (std::size_t line = 0; line < lines.size(); ++line) {
        bool bare = false;
        const std::string path = SynopsisPath(lines[line], bare);
        const auto command = commands.find(path);
        if (path.empty() || (command == commands.end() && bare)) {
            continue;  // no synopsis, or an example
        }
        const std::string where = name + ":" + std::to_string(line + 1) + ": the synopsis of '" + path + "'";
        if (command == commands.end()) {
            ADD_FAILURE() << where << " names a command 'belltower-cli --help' does not list";
            continue;
        }
        documented.insert(path);
        ExpectOptionsMatch(where, lines[line], path, command->second, commands.at(""));
    }
    for (const auto& [path, page] : commands) {
        EXPECT_TRUE(path.empty() || documented.contains(path))
            << name << " has no synopsis line 'belltower-cli " << path << " ...' for a command --help lists";
    }
}

TEST(Documents, EverySynopsisMatchesHelp) {
    std::map<std::string, HelpPage> commands;
    CollectCommands("", commands);
    ASSERT_GT(commands.size(), 10U);
    ExpectSynopses("docs/belltower-cli.md", Read("docs/belltower-cli.md"), commands);
    ExpectSynopses("docs/belltower-cli.1", ManualPage(), commands);
}

TEST(Documents, ReadmeGivesEveryExitStatus) {
    const std::string help = Help("").text;
    const std::size_t start = help.find("Exit status:");
    ASSERT_NE(start, std::string::npos);
    const std::string statuses = help.substr(start, help.find('\n', start) - start);
    const std::vector<std::string> readme = Read("README.md");
    const auto line = std::find_if(readme.begin(), readme.end(), [](auto& l) { return l.starts_with("Exit status:"); });
    const std::string paragraph = line == readme.end() ? "" : *line + " " + (line + 1 == readme.end() ? "" : line[1]);
    const std::regex status(R"(\d [a-z]+)");
    for (auto found = std::sregex_iterator(statuses.begin(), statuses.end(), status); found != std::sregex_iterator();
         ++found) {
        EXPECT_NE(paragraph.find(found->str()), std::string::npos)
            << "README.md: the exit status line lacks '" << found->str() << "' (belltower-cli --help gives it)";
    }
}

TEST(Documents, FuzzReadmeListsEveryHarness) {
    const std::vector<std::string> table = Read("fuzz/README.md");
    for (const std::string& harness : Words(BELLTOWER_FUZZ_HARNESSES)) {
        const std::string row = "| `fuzz_" + harness + "` |";
        EXPECT_TRUE(
            std::ranges::any_of(table, [&](const std::string& line) { return line.find(row) != std::string::npos; }))
            << "fuzz/README.md: no table row '| `fuzz_" << harness
            << "` | ... |' for the harness in fuzz/sources.cmake";
    }
}

}  // namespace
}  // namespace belltower::cli
