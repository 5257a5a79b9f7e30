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

struct Document {
    std::string name;
    std::vector<std::string> lines;
};

std::vector<std::string> Words(const std::string& text) {
    std::istringstream stream(text);
    return {std::istream_iterator<std::string>(stream), std::istream_iterator<std::string>()};
}

HelpOption ParseOption(const std::string& entry) {
    // "  -o,--output OUT REQUIRED  The file ..." or "  --to re|rtx|mid|ott:{...}  The format ..."
    const std::vector<std::string> words = Words(entry.substr(0, entry.find("  ", 2)));
    HelpOption option;
    std::istringstream names(words.front());
    for (std::string name; std::getline(names, name, ',');) {
        option.names.push_back(name);
    }
    if (words.size() > 1 && words[1].find('|') != std::string::npos) {
        option.values = words[1].substr(0, words[1].find(':'));
    }
    return option;
}

HelpPage Help(const std::string& path) {
    std::vector<std::string> args = Words(path);
    args.emplace_back("--help");
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(Run(args, in, out, err), 0) << path << " --help: " << err.str();
    HelpPage page{{}, {}, out.str()};
    std::istringstream lines(page.text);
    std::string section;
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == ':' && line.front() != ' ') {
            section = line;
        } else if (line.size() > 2 && line.starts_with("  ") && line[2] != ' ') {
            if (section == "Subcommands:") {
                page.commands.push_back(Words(line).front());
            } else if (section == "Options:" && !line.starts_with("  -h,--help") && !line.starts_with("  --version")) {
                page.options.push_back(ParseOption(line));
            }
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

Document Read(const std::string& name) {
    std::ifstream file(std::string(BELLTOWER_SOURCE_DIR) + "/" + name);
    EXPECT_TRUE(file) << name << " cannot be read";
    Document document{name, {}};
    for (std::string line; std::getline(file, line);) {
        document.lines.push_back(line);
    }
    return document;
}

// The manual page's synopsis lines (.BI "encode " IN ...) in plain words.
Document ManualPage() {
    Document page = Read("docs/belltower-cli.1");
    const std::regex escapes(R"(\\f[RBIP]|")");
    for (std::string& line : page.lines) {
        line = line.starts_with(".BI ") ? "belltower-cli " + std::regex_replace(line.substr(4), escapes, "") : "";
        line = std::regex_replace(line, std::regex(R"(\\-)"), "-");
    }
    return page;
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
        const unsigned char first = static_cast<unsigned char>(words[i].front());
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

// The words of a synopsis without brackets: "[--to re|rtx]" gives "--to", "re|rtx".
std::vector<std::string> BareWords(const std::string& line) {
    std::vector<std::string> words;
    for (std::string word : Words(line)) {
        std::erase_if(word, [](char c) { return c == '[' || c == ']'; });
        words.push_back(word);
    }
    return words;
}

void ExpectOptionsShown(const Document& document, std::size_t line, const std::string& path, const HelpPage& page) {
    const std::vector<std::string> words = BareWords(document.lines[line]);
    const std::string where = document.name + ":" + std::to_string(line + 1) + ": the synopsis of '" + path + "'";
    for (const HelpOption& option : page.options) {
        const auto shown = std::find_first_of(words.begin(), words.end(), option.names.begin(), option.names.end());
        EXPECT_NE(shown, words.end()) << where << " lacks " << option.names.back() << ", which 'belltower-cli " << path
                                      << " --help' lists";
        if (shown != words.end() && !option.values.empty()) {
            const std::string given = shown + 1 == words.end() ? "" : *(shown + 1);
            EXPECT_EQ(given, option.values) << where << " gives " << *shown << " other values than --help";
        }
    }
}

void ExpectNoStaleOptions(const Document& document, std::size_t line, const std::string& path, const HelpPage& page,
                          const HelpPage& program) {
    for (const std::string& word : BareWords(document.lines[line])) {
        if (word.size() < 2 || word.front() != '-') {
            continue;
        }
        bool known = false;
        for (const HelpPage* owner : {&page, &program}) {
            for (const HelpOption& option : owner->options) {
                known = known || std::find(option.names.begin(), option.names.end(), word) != option.names.end();
            }
        }
        EXPECT_TRUE(known) << document.name << ":" << line + 1 << ": the synopsis of '" << path << "' shows " << word
                           << ", which 'belltower-cli " << path << " --help' does not list";
    }
}

void ExpectSynopses(const Document& document, const std::map<std::string, HelpPage>& commands) {
    std::map<std::string, bool> documented;
    for (std::size_t line = 0; line < document.lines.size(); ++line) {
        bool bare = false;
        const std::string path = SynopsisPath(document.lines[line], bare);
        if (path.empty()) {
            continue;
        }
        const auto command = commands.find(path);
        if (command == commands.end() && bare) {
            continue;  // an example
        }
        if (command == commands.end()) {
            ADD_FAILURE() << document.name << ":" << line + 1 << ": a synopsis of 'belltower-cli " << path
                          << "', a command 'belltower-cli --help' does not list";
            continue;
        }
        documented[path] = true;
        ExpectOptionsShown(document, line, path, command->second);
        ExpectNoStaleOptions(document, line, path, command->second, commands.at(""));
    }
    for (const auto& [path, page] : commands) {
        EXPECT_TRUE(path.empty() || documented[path])
            << document.name << " has no synopsis line 'belltower-cli " << path << " ...' for a command --help lists";
    }
}

TEST(Documents, EverySynopsisMatchesHelp) {
    std::map<std::string, HelpPage> commands;
    CollectCommands("", commands);
    ASSERT_GT(commands.size(), 10U);
    ExpectSynopses(Read("docs/belltower-cli.md"), commands);
    ExpectSynopses(ManualPage(), commands);
}

TEST(Documents, ReadmeGivesEveryExitStatus) {
    const std::string help = Help("").text;
    const std::size_t start = help.find("Exit status:");
    ASSERT_NE(start, std::string::npos);
    const std::string statuses = help.substr(start, help.find('\n', start) - start);
    const std::vector<std::string> readme = Read("README.md").lines;
    std::string paragraph;
    for (std::size_t i = 0; i < readme.size() && paragraph.empty(); ++i) {
        if (readme[i].starts_with("Exit status:")) {
            paragraph = readme[i] + " " + (i + 1 < readme.size() ? readme[i + 1] : "");
        }
    }
    const std::regex status(R"(\d [a-z]+)");
    for (auto found = std::sregex_iterator(statuses.begin(), statuses.end(), status); found != std::sregex_iterator();
         ++found) {
        EXPECT_NE(paragraph.find(found->str()), std::string::npos)
            << "README.md: the exit status line lacks '" << found->str() << "' (belltower-cli --help gives it)";
    }
}

TEST(Documents, FuzzReadmeListsEveryHarness) {
    std::string table;
    for (const std::string& line : Read("fuzz/README.md").lines) {
        table += line + "\n";
    }
    for (const std::string& harness : Words(BELLTOWER_FUZZ_HARNESSES)) {
        EXPECT_NE(table.find("| `fuzz_" + harness + "` |"), std::string::npos)
            << "fuzz/README.md: no table row '| `fuzz_" << harness
            << "` | ... |' for the harness in fuzz/sources.cmake";
    }
}

}  // namespace
}  // namespace belltower::cli
