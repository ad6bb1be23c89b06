#!/bin/sh
# sotto_weston.sh [--xwayland] PROGRAM [ARGS...]: runs a test on a Wayland compositor of its own
# (weston, headless, one 1920 x 1080 output and its panel), as a Wayland client or, with
# --xwayland, through XWayland. The compositor ends with the test; its exit code is kept.
set -u
xwayland=0
if [ "${1:-}" = --xwayland ]; then xwayland=1; shift; fi
for t in weston weston-screenshooter; do
    command -v $t >/dev/null || { echo "sotto_weston: $t is missing (scripts/packages.txt)" >&2; exit 1; }
done
dir=$(mktemp -d)
chmod 700 "$dir"
pid=""
trap 'kill $pid 2>/dev/null; wait 2>/dev/null; rm -rf "$dir"' EXIT
opzioni=""
[ $xwayland -eq 0 ] || opzioni=--xwayland
# --debug lets a client take screenshots; pixman draws into memory, so there is something to take.
XDG_RUNTIME_DIR=$dir weston --backend=headless-backend.so --use-pixman --width=1920 \
    --height=1080 --idle-time=0 --debug --socket=wayland-hn $opzioni >"$dir/weston.log" 2>&1 &
pid=$!
for _ in $(seq 100); do [ -S "$dir/wayland-hn" ] && break; sleep 0.1; done
[ -S "$dir/wayland-hn" ] || { echo "sotto_weston: weston did not start" >&2; cat "$dir/weston.log" >&2; exit 1; }
# The panel is up once the shell client runs.
sleep 1
export XDG_RUNTIME_DIR="$dir" WAYLAND_DISPLAY=wayland-hn HOME="$dir"
# Under the sanitizers: what libraries keep for the run on a real display is not ours. Qt's
# Wayland window decoration is a plugin unloaded before the leak check, so what it keeps has no
# library left to name; the same code is checked for leaks on X (sotto_x.sh).
LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$(dirname "$0")/sotto_x.supp"
[ $xwayland -eq 1 ] || LSAN_OPTIONS="$LSAN_OPTIONS:detect_leaks=0"
export LSAN_OPTIONS
if [ $xwayland -eq 1 ]; then
    # XWayland listens on the display weston names in its log.
    for _ in $(seq 100); do grep -q 'xserver listening on display' "$dir/weston.log" && break; sleep 0.1; done
    d=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$dir/weston.log" | head -n 1)
    [ -n "$d" ] || { echo "sotto_weston: no XWayland" >&2; cat "$dir/weston.log" >&2; exit 1; }
    DISPLAY=$d QT_QPA_PLATFORM=xcb "$@"
else
    unset DISPLAY
    QT_QPA_PLATFORM=wayland "$@"
fi
