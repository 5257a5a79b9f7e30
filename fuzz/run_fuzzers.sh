#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the fuzzers of the `fuzz` preset one after another with the time and memory limits of
# fuzz/README.md. New inputs go to a scratch folder; a crash or broken check stops that fuzzer
# and leaves its input in the current folder (crash-*, timeout-*, oom-*).
#   fuzz/run_fuzzers.sh [SECONDS] [NAME...]     (600 seconds each; every fuzzer by default)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-600}"
shift || true
names=("$@")
if [ ${#names[@]} -eq 0 ]; then
    names=(rtx_encoder wav_writer firmware_reader record_exchange list_operations ott_reader tone_decoder midi_reader text_ringtones)
fi
scratch="${TMPDIR:-/tmp}/belltower-fuzz"
status=0
for name in "${names[@]}"; do
    fuzzer="$root/build/fuzz/fuzz/fuzz_$name"
    mkdir -p "$scratch/$name"
    dict=()
    if [ -f "$root/fuzz/$name.dict" ]; then
        dict=("-dict=$root/fuzz/$name.dict")
    fi
    echo "== $name: $seconds s"
    "$fuzzer" -max_total_time="$seconds" -timeout=2 -rss_limit_mb=1024 -malloc_limit_mb=256 -max_len=65536 \
        -print_final_stats=1 "${dict[@]}" "$scratch/$name" "$root/fuzz/corpus/$name" || status=1
done
exit $status
