#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Every tracked source file, script, CMake and packaging file names its licence in an
# SPDX-License-Identifier line near its top.
#   --check  lists the files without one and fails when there are any (the default);
#   --fix    adds the line to them, in the comment syntax of their kind.
# Data files (melody seeds, pictures, JSON) and the licence texts themselves carry none.
set -euo pipefail
cd "$(dirname "$0")/.."
readonly tag="SPDX-License-Identifier: GPL-3.0-or-later"
mode=${1:---check}
if [[ $mode != --check && $mode != --fix ]]; then
    echo "usage: $0 [--check|--fix]" >&2
    exit 2
fi

# The comment that carries the line in a file of this name, or nothing for files without one.
comment_for() {
    case $1 in
        *.cpp | *.h | *.h.in) echo "// $tag" ;;
        *.xml | *.xml.in) echo "<!-- $tag -->" ;;
        *.1) echo ".\\\" $tag" ;;
        *.sh | *.cmake | */CMakeLists.txt | CMakeLists.txt | *.desktop | *.dict | .ci/* | .clang-format | .clang-tidy | .gitignore)
            echo "# $tag" ;;
        *) ;;
    esac
}

# Adds the line: after a shebang or an XML declaration, else first.
add_line() {
    local file=$1 line=${2//\\/\\\\} first
    first=$(head -n 1 "$file")
    if [[ $first == '#!'* || $first == '<?xml'* ]]; then
        sed -i "1a\\$line" "$file"
    else
        sed -i "1i\\$line" "$file"
    fi
}

missing=()
while IFS= read -r file; do
    line=$(comment_for "$file")
    [[ -n $line && -f $file ]] || continue
    if ! head -n 5 "$file" | grep -qF "$tag"; then
        missing+=("$file")
        if [[ $mode == --fix ]]; then
            add_line "$file" "$line"
        fi
    fi
done < <(git ls-files)

if [[ $mode == --fix ]]; then
    echo "SPDX: added the licence line to ${#missing[@]} files."
elif ((${#missing[@]} > 0)); then
    printf '%s\n' "${missing[@]}" >&2
    echo "These ${#missing[@]} files lack '$tag' in their first 5 lines; add it with: bash scripts/spdx.sh --fix" >&2
    exit 1
else
    echo "SPDX: every source, script and CMake file names its licence."
fi
