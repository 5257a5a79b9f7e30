// SPDX-License-Identifier: GPL-3.0-or-later
// completion: a bash completion script for belltower-cli, written from the program's own
// command table when asked for, so a command, option or --to value added there is completed
// without anyone touching the script.
//
// The script holds four lookup functions, one case arm per command path ("", "bank",
// "bank list"): the commands under a path, its options (with the global ones, which may stand
// after a command), what follows each option, and what each positional argument is. What
// follows is a word list ("ascii unicode"), @file, @dir, @none (a number or a name: nothing to
// offer) or nothing at all for a flag.
#include <map>
#include <memory>
#include <ostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli/command_groups.h"
#include "cli/command_support.h"

namespace belltower::cli {
namespace {

struct CommandEntry {
    std::string path;  // the command's words after the program name, separated by blanks
    const CLI::App* app = nullptr;
    std::vector<const CLI::Option*> options;  // its own and those it inherits from above
};

// Every command and group under app, app itself first with the path "".
void CollectCommands(const CLI::App& app, const CommandEntry& entry, std::vector<CommandEntry>& all) {
    all.push_back(entry);
    for (const CLI::App* sub : app.get_subcommands([](const CLI::App*) { return true; })) {
        CommandEntry child{entry.path.empty() ? sub->get_name() : entry.path + " " + sub->get_name(), sub, {}};
        child.options = sub->get_options();
        if (sub->get_fallthrough()) {
            // Options the parent understands are accepted here too; its --help is ours already.
            for (const CLI::Option* inherited : entry.options) {
                if (inherited != app.get_help_ptr() && inherited != app.get_version_ptr()) {
                    child.options.push_back(inherited);
                }
            }
        }
        CollectCommands(*sub, child, all);
    }
}

// What may follow the option or stand as the positional argument: see the file's comment.
std::string ValueWords(const CLI::Option& option) {
    if (option.get_expected_min() == 0) {
        return "";
    }
    // Validators append their descriptions after a colon; the name given comes first.
    const std::string full = option.get_type_name();
    std::string type = full.substr(0, full.find(':'));
    // A list of the words themselves: "ascii|unicode", or one word in lower case.
    const bool words = type.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789-") == std::string::npos;
    if (words || type.find('|') != std::string::npos) {
        for (char& c : type) {
            c = c == '|' ? ' ' : c;
        }
        return type;
    }
    if (type == "DIR") {
        return "@dir";
    }
    const bool namesFile = type.starts_with("OUT") || type.starts_with("IN") || type.starts_with("FILE");
    return namesFile || (option.get_positional() && type.starts_with("TEXT")) ? "@file" : "@none";
}

std::string OptionNames(const CLI::Option& option) {
    std::string names;
    for (const std::string& name : option.get_snames()) {
        names += (names.empty() ? "-" : " -") + name;
    }
    for (const std::string& name : option.get_lnames()) {
        names += (names.empty() ? "--" : " --") + name;
    }
    return names;
}

std::string Join(const std::vector<std::string>& words) {
    std::string joined;
    for (const std::string& word : words) {
        joined += (joined.empty() ? "" : " ") + word;
    }
    return joined;
}

// One lookup function: `name PATH` prints the words the table gives for PATH.
void WriteLookup(std::ostream& script, const std::string& name, const std::vector<CommandEntry>& commands,
                 const auto& wordsOf) {
    script << "_belltower_cli_" << name << "() {\n    case $1 in\n";
    for (const CommandEntry& command : commands) {
        script << "        '" << command.path << "') echo '" << wordsOf(command) << "' ;;\n";
    }
    script << "    esac\n}\n";
}

void WriteValueLookup(std::ostream& script, const std::vector<CommandEntry>& commands) {
    script << "_belltower_cli_values() {\n    case \"$1:$2\" in\n";
    for (const CommandEntry& command : commands) {
        for (const CLI::Option* option : command.options) {
            const std::string words = ValueWords(*option);
            if (option->nonpositional() && !words.empty()) {
                std::string arm;
                std::istringstream names(OptionNames(*option));
                for (std::string name; names >> name;) {
                    arm += (arm.empty() ? "'" : "|'") + command.path + ":" + name + "'";
                }
                script << "        " << arm << ") echo '" << words << "' ;;\n";
            }
        }
    }
    script << "    esac\n}\n";
}

// The part that does not depend on the commands: it walks the words typed so far to the
// command they name, then offers what the tables list for the word under the cursor.
constexpr const char* kCompleter = R"sh(_belltower_cli_reply() {
    case $1 in
        @file) mapfile -t COMPREPLY < <(compgen -f -- "$cur") ;;
        @dir) mapfile -t COMPREPLY < <(compgen -d -- "$cur") ;;
        @none) COMPREPLY=() ;;
        *) mapfile -t COMPREPLY < <(compgen -W "$1" -- "$cur") ;;
    esac
}
_belltower_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
    local path='' word count=0 i
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        if [[ $word == -?* ]]; then
            # An option that takes a value takes the next word with it.
            if [[ $word != *=* && -n $(_belltower_cli_values "$path" "$word") ]]; then
                i=$((i + 1))
            fi
        elif [[ " $(_belltower_cli_commands "$path") " == *" $word "* ]]; then
            path=${path:+$path }$word
            count=0
        else
            count=$((count + 1))
        fi
    done
    if [[ $prev == -?* ]]; then
        local values
        values=$(_belltower_cli_values "$path" "$prev")
        if [[ -n $values ]]; then
            _belltower_cli_reply "$values"
            return
        fi
    fi
    if [[ $cur == -* ]]; then
        _belltower_cli_reply "$(_belltower_cli_options "$path")"
        return
    fi
    local commands
    commands=$(_belltower_cli_commands "$path")
    if [[ -n $commands ]]; then
        _belltower_cli_reply "$commands"
        return
    fi
    # Positional arguments: the count-th kind, the last one repeating when it ends in "...".
    local kinds
    read -r -a kinds <<<"$(_belltower_cli_positionals "$path")"
    if ((${#kinds[@]} == 0)); then
        return
    fi
    local kind=${kinds[count]:-${kinds[-1]}}
    if ((count < ${#kinds[@]})) || [[ $kind == *... ]]; then
        _belltower_cli_reply "${kind%...}"
    fi
}
complete -o filenames -F _belltower_cli belltower-cli
)sh";

std::string BashCompletion(const CLI::App& app) {
    std::vector<CommandEntry> commands;
    CollectCommands(app, {"", &app, app.get_options()}, commands);
    std::ostringstream script;
    script << "# bash completion for belltower-cli, written by `belltower-cli completion bash`.\n";
    WriteLookup(script, "commands", commands, [](const CommandEntry& command) {
        std::vector<std::string> names;
        for (const CLI::App* sub : command.app->get_subcommands([](const CLI::App*) { return true; })) {
            names.push_back(sub->get_name());
        }
        return Join(names);
    });
    WriteLookup(script, "options", commands, [](const CommandEntry& command) {
        std::vector<std::string> names;
        for (const CLI::Option* option : command.options) {
            if (option->nonpositional()) {
                names.push_back(OptionNames(*option));
            }
        }
        return Join(names);
    });
    WriteLookup(script, "positionals", commands, [](const CommandEntry& command) {
        std::vector<std::string> kinds;
        for (const CLI::Option* option : command.app->get_options()) {
            if (option->get_positional()) {
                kinds.push_back(ValueWords(*option) + (option->get_expected_max() > 1 ? "..." : ""));
            }
        }
        return Join(kinds);
    });
    WriteValueLookup(script, commands);
    script << kCompleter;
    return script.str();
}

}  // namespace

void AddCompletionCommands(CLI::App& app, CommandTable& table) {
    using ScriptWriter = std::string (*)(const CLI::App&);
    static const std::map<std::string, ScriptWriter> kShells{{"bash", BashCompletion}};
    // The action owns the parsed shell name: CLI11 writes it after this function has returned.
    auto shell = std::make_shared<std::string>();
    CLI::App* completion =
        table.AddCommand(app, "completion", "Print a shell completion script for belltower-cli.",
                         "  source <(belltower-cli completion bash)\n"
                         "  belltower-cli completion bash > ~/.local/share/bash-completion/completions/belltower-cli",
                         [&app, shell](Console& console, const GlobalOptions&) {
                             const std::string script = kShells.at(*shell)(app);
                             return WriteAndFinish(console, std::string(kStandardStream), formats::ToBytes(script));
                         });
    std::string names;
    for (const auto& [name, writer] : kShells) {
        names += (names.empty() ? "" : "|") + name;
    }
    completion->add_option("SHELL", *shell, "The shell: " + names + ".")
        ->check(CLI::IsMember(kShells))
        ->type_name(names)
        ->required();
}

}  // namespace belltower::cli
