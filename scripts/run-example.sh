#!/usr/bin/env bash
# Installs what is needed, builds kvs-cli and plays the example song to the
# built-in synthesizer; where no sound output exists it renders it to a WAV.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build" -G Ninja >/dev/null
cmake --build "$root/build" -j "$(nproc)" --target kvs-cli
cli="$root/build/src/app/kvs-cli"
song="$root/data/examples/minuet.mid"
"$cli" info "$song"
echo "Playing (the song loops; Ctrl-C stops)..."
if ! "$cli" play "$song" --port "KVS Synth"; then
    wav="$root/build/minuet.wav"
    "$cli" render "$song" "$wav"
    echo "No sound output here: the example was rendered to $wav"
fi
