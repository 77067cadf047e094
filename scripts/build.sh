#!/usr/bin/env bash
# Configures and builds one build tree: build.sh DIR [cmake options...]
# With KVS_TARGETS set (space-separated), only those targets are built.
set -euo pipefail
dir=$1; shift
root=$(cd "$(dirname "$0")/.." && pwd)
cmake -S "$root" -B "$root/$dir" -G Ninja "$@" >/dev/null
targets=()
for t in ${KVS_TARGETS:-}; do targets+=(--target "$t"); done
cmake --build "$root/$dir" -j "$(nproc)" "${targets[@]}"
