#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a tracked C++ file differs from what clang-format makes of it (the repository's
# .clang-format), and names the files. Fix with: clang-format -i <file>.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if ! clang-format --dry-run --Werror "${files[@]}"; then
    echo "These files need clang-format -i (see the differences above)." >&2
    exit 1
fi
echo "clang-format: ${#files[@]} files as formatted."
