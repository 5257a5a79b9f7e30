#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing; checks the formatting of every C++ file and the licence line of
# every source file; builds and runs the whole test suite in a debug build with warnings as
# errors; builds, lists and checks the Debian package's files from it; builds and runs the same
# tests under AddressSanitizer and UndefinedBehaviorSanitizer; last, clang-tidy over the files
# under src/ changed since origin/main (over all of src/ when CI=true, as .ci/run sets).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-deps.sh
export QT_QPA_PLATFORM=offscreen
step() {
    local started=$SECONDS
    "$@"
    echo "== $* took $((SECONDS - started)) s" >&2
}
step bash scripts/format-check.sh
step bash scripts/spdx.sh --check
step cmake --workflow --preset dev
step bash scripts/package-check.sh build/dev
step cmake --workflow --preset asan
if [[ ${CI:-} == true ]]; then
    step cmake --workflow --preset tidy
else
    step bash scripts/tidy-changed.sh build/dev
fi
