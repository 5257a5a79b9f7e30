#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds the optimised program and starts it.
# Arguments are handed to the program (a melody or firmware file to open).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target belltower belltower-cli
exec ./build/release/src/ui/belltower "$@"
