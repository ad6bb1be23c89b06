#!/bin/sh
# sotto_x.sh [--wm] PROGRAM [ARGS...]: runs a test that drives real windows on an X server of its
# own (Xvfb, 1280 x 1024, so the stage has bars), bare or, with --wm, under openbox as on a
# user's desktop. The server and the window manager end with the test; its exit code is kept.
set -u
wm=0
if [ "${1:-}" = --wm ]; then wm=1; shift; fi
for t in Xvfb xprop xdotool; do
    command -v $t >/dev/null || { echo "sotto_x: $t is missing (scripts/packages.txt)" >&2; exit 1; }
done
[ $wm -eq 0 ] || command -v openbox >/dev/null || { echo "sotto_x: openbox is missing" >&2; exit 1; }
dir=$(mktemp -d)
chmod 700 "$dir"
pids=""
trap 'kill $pids 2>/dev/null; wait 2>/dev/null; rm -rf "$dir"' EXIT
# Xvfb picks a free display itself and writes its number once it accepts clients.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$dir/display" 2>"$dir/xvfb.log" &
pids="$!"
for _ in $(seq 100); do [ -s "$dir/display" ] && break; sleep 0.1; done
[ -s "$dir/display" ] || { echo "sotto_x: Xvfb did not start" >&2; cat "$dir/xvfb.log" >&2; exit 1; }
DISPLAY=:$(head -n 1 "$dir/display")
export DISPLAY
if [ $wm -eq 1 ]; then
    HOME=$dir openbox >"$dir/openbox.log" 2>&1 &
    pids="$pids $!"
    # The window manager is ready once it names itself on the root window.
    for _ in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
        sleep 0.1
    done
    xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id' ||
        { echo "sotto_x: openbox did not start" >&2; cat "$dir/openbox.log" >&2; exit 1; }
fi
# Under the sanitizers: what libraries keep for the run on a real server is not ours.
LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$(dirname "$0")/sotto_x.supp"
export LSAN_OPTIONS
QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$dir "$@"
