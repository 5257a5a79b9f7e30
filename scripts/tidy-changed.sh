#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# clang-tidy (the repository's .clang-tidy) over the files under src/ changed since the branch
# left origin/main (or main), committed or not: each changed .cpp, and the .cpp beside each
# changed header. Reads the compile commands of a configured build folder (default build/dev).
# The whole tree is checked by `cmake --workflow --preset tidy`, which CI runs.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/dev}
base=""
for ref in origin/main main; do
    if git rev-parse --verify -q "$ref" >/dev/null; then
        base=$(git merge-base HEAD "$ref")
        break
    fi
done
if [[ -z $base ]]; then
    echo "clang-tidy: no origin/main or main to compare with; run: cmake --workflow --preset tidy" >&2
    exit 1
fi
declare -A files=()
while IFS= read -r changed; do
    source=${changed%.*}.cpp
    [[ -f $source ]] && files[$source]=1
done < <(git diff --name-only --diff-filter=d "$base" -- 'src/*.cpp' 'src/*.h')
if ((${#files[@]} == 0)); then
    echo "clang-tidy: no source file under src/ changed since $(git rev-parse --short "$base")."
    exit 0
fi
echo "clang-tidy over ${#files[@]} changed files."
tidy=$(command -v clang-tidy-14 || command -v clang-tidy)
runner=$(command -v run-clang-tidy-14 || command -v run-clang-tidy)
# .clang-tidy makes every finding an error, so the run fails on any.
"$runner" -quiet -clang-tidy-binary "$tidy" -p "$build" -extra-arg=-Wno-unknown-warning-option "${!files[@]}"
