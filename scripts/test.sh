#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing and checks the formatting of every C++ file, then builds and runs
# the whole test suite twice: a debug build with warnings as errors, and a build under
# AddressSanitizer and UndefinedBehaviorSanitizer (between the two the Debian package is built
# from the debug build and listed). Last, clang-tidy over src/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-deps.sh
export QT_QPA_PLATFORM=offscreen
bash scripts/format-check.sh
cmake --workflow --preset dev
bash scripts/package-check.sh build/dev
cmake --workflow --preset asan
cmake --workflow --preset tidy
