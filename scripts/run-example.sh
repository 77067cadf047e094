#!/usr/bin/env bash
# Installs what is needed, builds kvs-cli and shows the example song.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build" -G Ninja >/dev/null
cmake --build "$root/build" -j "$(nproc)" --target kvs-cli
"$root/build/src/app/kvs-cli" info "$root/data/examples/minuet.mid"
