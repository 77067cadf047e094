#!/usr/bin/env bash
# Writes PNGs of the main window to docs/screenshots/: default size and
# maximised, light and dark palette (KVS_DARK=1), and one at twice the scale
# (QT_SCALE_FACTOR=2). Runs kvs under its own Xvfb with a 16-track demo song
# and virtual MIDI devices, so it needs no display and no sound card.
#
# Usage: scripts/screenshots.sh [BUILD_DIR]     (default: build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
kvs=$build/src/app/kvs
out=$root/docs/screenshots
convert=/usr/bin/convert
[ -x "$kvs" ] || { echo "screenshots: build kvs first ($kvs)" >&2; exit 1; }
mkdir -p "$out"

work=$(mktemp -d)
chmod 700 "$work"
xvfb_pid=""
kvs_pid=""
cleanup() {
    [ -n "$kvs_pid" ] && kill "$kvs_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

song=$work/Orchestra.mid
python3 "$root/scripts/make_demo_song.py" "$song"

# Xvfb picks a display number nobody uses and tells it through -displayfd.
Xvfb -displayfd 3 -screen 0 1920x1200x24 -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
display=":$(tr -d '[:space:]' <"$work/display")"
[ "$display" != ":" ] || { echo "screenshots: Xvfb did not start" >&2; exit 1; }
export DISPLAY=$display
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

# shot NAME WIDTH|- HEIGHT|- [ENV...]: starts kvs, moves the caret into a
# selection so the highlight shows, and grabs the window.
shot() {
    local name=$1 width=$2 height=$3
    shift 3
    local home=$work/home-$name
    mkdir -p "$home"
    # No tip of the day; the built-in synth off, as it cannot sound here.
    printf '[OPTIONS]\nTipOfDayStartup=0\n\n[ports]\nKVS Synth_out_name=KVS Synth\nKVS Synth_out_enable=0\n' \
        >"$home/kvs.ini"
    env KVS_HOME="$home" KVS_MIDI=virtual XDG_RUNTIME_DIR="$work" "$@" \
        "$kvs" /F "$song" >"$work/$name.log" 2>&1 &
    kvs_pid=$!
    # Any box shown at start-up is answered with Enter until the song's
    # window is up.
    local win="" box
    for _ in $(seq 100); do
        win=$(xdotool search --onlyvisible --name "^Orchestra.mid" 2>/dev/null | head -1 || true)
        [ -n "$win" ] && break
        for box in $(xdotool search --onlyvisible --name "^Kavelsong\$" 2>/dev/null || true); do
            xdotool windowfocus --sync "$box" key --clearmodifiers Return 2>/dev/null || true
        done
        sleep 0.2
    done
    if [ -z "$win" ]; then
        echo "screenshots: kvs did not open the song" >&2
        cat "$work/$name.log" >&2
        exit 1
    fi
    xdotool windowmove --sync "$win" 0 0
    # "-": the size the program opens with.
    [ "$width" = - ] || xdotool windowsize --sync "$win" "$width" "$height"
    xdotool windowfocus --sync "$win"
    sleep 0.5
    # Oboe muted (its mark shows), track 3 in the list, then into the view:
    # caret to beat 16, 12 beats selected.
    xdotool key --clearmodifiers Down m Down Tab
    for _ in 1 2 3 4; do xdotool key --clearmodifiers Right; done
    for _ in 1 2 3; do xdotool key --clearmodifiers shift+Right; done
    sleep 0.5
    import -window "$win" "$work/$name.png"
    "$convert" "$work/$name.png" -strip "$out/$name.png"
    kill "$kvs_pid"
    wait "$kvs_pid" 2>/dev/null || true
    kvs_pid=""
    echo "screenshots: $out/$name.png"
}

# Without a window manager "maximised" is a full-HD screen's whole size.
shot main-window - -
shot main-window-maximised 1920 1080
shot main-window-dark - - KVS_DARK=1
shot main-window-dark-maximised 1920 1080 KVS_DARK=1
shot main-window-2x - - QT_SCALE_FACTOR=2

# The dialogs and editors: the Qt tests open each from the main window and,
# with KVS_SHOT_DIR set, save what they opened (light, dark, twice the scale).
tests=$build/tests/kvs_ui_qt_tests
if [ -x "$tests" ]; then
    run_shots() {
        # The pixel tests expect scale 1 and the platform palette: left out.
        env KVS_HOME="$work/home-tests" KVS_SHOT_DIR="$work/shots" QT_QPA_PLATFORM=offscreen "$@" \
            "$tests" --gtest_filter='-Icons.*:TrackViewWidgetTest.*' >"$work/shots.log" 2>&1 ||
            { cat "$work/shots.log" >&2; exit 1; }
    }
    run_shots
    run_shots KVS_DARK=1 KVS_SHOT_SUFFIX=-dark
    run_shots QT_SCALE_FACTOR=2 KVS_SHOT_SUFFIX=-2x
    for f in "$work"/shots/*.png; do
        [ -e "$f" ] || continue
        "$convert" "$f" -strip "$out/$(basename "$f")"
        echo "screenshots: $out/$(basename "$f")"
    done
fi
