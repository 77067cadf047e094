#!/usr/bin/env bash
# Installs what is needed, builds and opens the example song in kvs. Where no
# display exists it plays the song with kvs-cli to the built-in synthesizer
# instead, and where no sound output exists it renders it to a WAV.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build" -G Ninja >/dev/null
song="$root/data/examples/minuet.mid"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    cmake --build "$root/build" -j "$(nproc)" --target kvs
    exec "$root/build/src/app/kvs" "$song"
fi

echo "No display here (\$DISPLAY and \$WAYLAND_DISPLAY are unset): playing with kvs-cli instead."
cmake --build "$root/build" -j "$(nproc)" --target kvs-cli
cli="$root/build/src/app/kvs-cli"
"$cli" info "$song"
echo "Playing (the song loops; Ctrl-C stops)..."
if ! "$cli" play "$song" --port "KVS Synth"; then
    wav="$root/build/minuet.wav"
    "$cli" render "$song" "$wav"
    echo "No sound output here: the example was rendered to $wav"
fi
