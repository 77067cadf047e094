#!/usr/bin/env bash
# Installs what is needed, builds and runs every test: the normal build, the
# fuzz targets over their seed corpora, the engine and its threads under
# ThreadSanitizer, and the whole suite under AddressSanitizer +
# UndefinedBehaviorSanitizer.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"

echo "== normal build"
"$root/scripts/build.sh" build
# The live JACK tests each start a JACK server; servers started at the same
# moment fail to come up, so those tests run one at a time after the rest.
run_tests() {
  ctest --test-dir "$1" --output-on-failure -j "$(nproc)" -E Jack
  ctest --test-dir "$1" --output-on-failure -R Jack
}
run_tests "$root/build"

echo "== fuzz targets over their corpora"
KVS_TARGETS=kvs_fuzz_all "$root/scripts/build.sh" build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DKVS_FUZZ=ON -DKVS_TESTS=OFF
for target in "$root"/build-fuzz/fuzz/*_fuzz; do
  name=$(basename "$target" _fuzz)
  corpus="$root/fuzz/corpus/$name"
  [ -d "$corpus" ] || corpus="$root/fuzz/corpus/${name%%_*}"
  "$target" -runs=0 "$corpus" 2>&1 | tail -n 1
done

echo "== ThreadSanitizer: engine, timers and devices shared between threads"
# Live JACK tests stay out: the uninstrumented JACK ring buffer is reported.
KVS_TARGETS=kvs_midi_tests "$root/scripts/build.sh" build-tsan -DKVS_SANITIZE=thread -DKVS_BENCH=OFF
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
  ctest --test-dir "$root/build-tsan" --output-on-failure -j "$(nproc)" \
  -R '^(Engine|ThreadTimer|TestTimers|VirtualMidi|MidiInputAssembler)' -E Jack

echo "== AddressSanitizer + UndefinedBehaviorSanitizer"
"$root/scripts/build.sh" build-asan -DKVS_SANITIZE=address -DKVS_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  run_tests "$root/build-asan"

