#!/usr/bin/env bash
# Installs what is missing, then builds and runs the whole test suite twice: a debug build
# with warnings as errors, and a build under AddressSanitizer and UndefinedBehaviorSanitizer.
# Between the two the Debian package is built from the debug build and listed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-deps.sh
export QT_QPA_PLATFORM=offscreen
cmake --workflow --preset dev
bash scripts/package-check.sh build/dev
cmake --workflow --preset asan
