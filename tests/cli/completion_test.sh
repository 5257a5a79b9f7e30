#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The bash completion script the program writes, run as bash runs it: each row is what has been
# typed after "belltower-cli" and the words offered for the last word, sorted. Called by ctest
# with the program as the only argument.
# No errexit: the script runs in an interactive shell, where a failing test is no error.
set -uo pipefail
cli=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir tones
touch tones/a.rtx b.fls
# shellcheck source=/dev/null
source <("$cli" completion bash)

rows=(
    "en|encode"
    "bank re|reindex replace"
    "bank list --j|--json"
    "bank save --fo|--force"
    "render x.rtx --hardware |logomanager none phone"
    "encode --to r|re rtx"
    "encode -o to|tones"
    "encode -d |tones"
    "encode tones/a.rtx t|tones"
    "bank insert b|b.fls"
    "bank insert b.fls |"
    "bank insert b.fls 1 b|b.fls"
    "bank set b.fls 1 --name |"
    "--max-image-size 100 bank l|list"
    "completion |bash"
)
failures=0
for row in "${rows[@]}"; do
    typed=${row%%|*}
    expected=${row#*|}
    read -r -a COMP_WORDS <<<"belltower-cli $typed"
    [[ $typed == *' ' || -z $typed ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _belltower_cli
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd ' ')
    if [[ $got != "$expected" ]]; then
        echo "belltower-cli $typed<TAB> offered '$got', expected '$expected'" >&2
        failures=$((failures + 1))
    fi
done
if ((failures > 0)); then
    exit 1
fi
echo "${#rows[@]} completions as expected."
