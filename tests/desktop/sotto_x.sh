#!/bin/sh
# sotto_x.sh [--wm NAME] [--pannello] [--monitor WxH] PROGRAM [ARGS...]: runs a test that drives
# real windows on an X server of its own (Xvfb, 1280 x 1024 unless told, so the stage has bars),
# bare or under a window manager as on a user's desktop (openbox, icewm with its taskbar, xfwm4,
# fluxbox with its toolbar, metacity), with --pannello a tint2 panel at the bottom, which
# reserves its strip of the screen. The server, the window manager and the panel end with the
# test; its exit code is kept.
set -u
wm="" pannello=0 monitor=1280x1024
while [ $# -gt 0 ]; do
    case "$1" in
    --wm) wm=$2; shift 2 ;;
    --monitor) monitor=$2; shift 2 ;;
    --pannello) pannello=1; shift ;;
    *) break ;;
    esac
done
manca() { echo "sotto_x: $1 is missing (scripts/packages.txt)" >&2; exit 1; }
for t in Xvfb xprop xdotool; do command -v $t >/dev/null || manca $t; done
[ -z "$wm" ] || command -v "$wm" >/dev/null || manca "$wm"
[ $pannello -eq 0 ] || command -v tint2 >/dev/null || manca tint2
dir=$(mktemp -d)
chmod 700 "$dir"
pids=""
trap 'kill $pids 2>/dev/null; wait 2>/dev/null; rm -rf "$dir"' EXIT
# Xvfb picks a free display itself and writes its number once it accepts clients. With other
# servers starting on the machine at the same moment, one may lose its display right after: it
# counts once it still runs and answers, else a new one is started.
for prova in 1 2 3; do
    : >"$dir/display"
    Xvfb -displayfd 3 -screen 0 "${monitor}x24" -nolisten tcp 3>"$dir/display" 2>"$dir/xvfb.log" &
    xvfb=$!
    pids="$xvfb"
    for _ in $(seq 100); do [ -s "$dir/display" ] && break; sleep 0.1; done
    DISPLAY=:$(head -n 1 "$dir/display")
    export DISPLAY
    sleep 0.2
    [ -s "$dir/display" ] && kill -0 $xvfb 2>/dev/null && xprop -root >/dev/null 2>&1 && break
    kill $xvfb 2>/dev/null
    wait $xvfb 2>/dev/null
    [ $prova -lt 3 ] || { echo "sotto_x: Xvfb did not start" >&2; cat "$dir/xvfb.log" >&2; exit 1; }
done
# Each desktop program reads its settings from a home of its own, and none waits for a session
# bus the test does not have.
export HOME="$dir" XDG_RUNTIME_DIR="$dir" GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1
if [ -n "$wm" ]; then
    # Under a loaded machine a window manager now and then gives up connecting at its start
    # (fluxbox): it is started again, up to three times.
    for prova in 1 2 3; do
        case "$wm" in
        xfwm4) xfwm4 --compositor=off >"$dir/wm.log" 2>&1 & ;;
        *) "$wm" >"$dir/wm.log" 2>&1 & ;;
        esac
        gestore=$!
        # The window manager is ready once it names itself on the root window.
        for _ in $(seq 100); do
            xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
            kill -0 $gestore 2>/dev/null || break
            sleep 0.1
        done
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
        kill $gestore 2>/dev/null
        wait $gestore 2>/dev/null
        [ $prova -lt 3 ] || { echo "sotto_x: $wm did not start" >&2; cat "$dir/wm.log" >&2; exit 1; }
    done
    pids="$pids $gestore"
fi
if [ $pannello -eq 1 ]; then
    # At the bottom, reserving its strip, kept above other windows as tint2 is by default.
    sed 's/^panel_position.*/panel_position = bottom center horizontal/' \
        /etc/xdg/tint2/tint2rc >"$dir/tint2rc"
    tint2 -c "$dir/tint2rc" >"$dir/tint2.log" 2>&1 &
    pids="$pids $!"
    # Ready once its window reserves the strip.
    for _ in $(seq 100); do
        xdotool search --class tint2 >/dev/null 2>&1 && break
        sleep 0.1
    done
    sleep 0.5
fi
# Under the sanitizers: what libraries keep for the run on a real server is not ours.
LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$(dirname "$0")/sotto_x.supp"
export LSAN_OPTIONS
HNEMAR_SCRIVANIA="${wm:-nudo}" QT_QPA_PLATFORM=xcb "$@"
