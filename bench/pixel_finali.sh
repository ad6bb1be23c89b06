#!/bin/sh
# Start-up as users meet it: from exec to the home screen's final pixels (sonda_pixel samples the
# screen every millisecond until it stays the same for a second), the atlas against the bare Qt
# program that shows "sistemi.bmp" full screen, in turn on a private 1024 × 768 X display with no
# session bus, and afterwards a look for any D-Bus daemon the runs left behind.
#   bench/pixel_finali.sh BUILD_FOLDER [ROUNDS] [default]
# With "default" the atlas runs on its default prefix (no HNEMAR_PREFIX; filled from the demo
# once, before the first round). Aim: at most 1.5 times the bare program.
# Needs Xvfb (apt-get install -y xvfb).
set -eu
build=$(cd "$1" && pwd)
rounds=${2:-9}
modo=${3:-}
work=$(mktemp -d)
cp -r "$build/demo/." "$work/prefix/" 2>/dev/null || { mkdir -p "$work/prefix" && cp -r "$build/demo/." "$work/prefix/"; }
mkdir -m 700 "$work/run"
export XDG_RUNTIME_DIR="$work/run" XDG_DATA_HOME="$work/dati"
unset DBUS_SESSION_BUS_ADDRESS QT_QPA_PLATFORM
if [ "$modo" = default ]; then
    unset HNEMAR_PREFIX
    export HNEMAR_DEMO="$build/demo"
else
    export HNEMAR_PREFIX="$work/prefix"
fi
# A display number away from the low ones other benches and tests take meanwhile; kept as it
# is between runs (no reset when the last client goes, which refuses the next one meanwhile).
n=$((200 + $$ % 500))
while [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
Xvfb :$n -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xpid=$!
trap 'kill $xpid; rm -rf "$work"' EXIT
export DISPLAY=:$n
for _ in $(seq 100); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
sleep 0.5
# D-Bus processes started for this display (other displays' are not this bench's).
demoni() {
    for p in $(pgrep -u "$(id -u)" -x dbus-launch) $(pgrep -u "$(id -u)" -x dbus-daemon); do
        tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qx "DISPLAY=:$n" && echo "$p"
    done | sort
}
prima=$(demoni)
picture="$work/prefix/drive_d/SFONDI/sistemi.bmp"
# A first run fills the default prefix and warms the caches; not counted.
"$build/bench/sonda_pixel" 1000 -- "$build/src/app/hnemar" >/dev/null
for i in $(seq "$rounds"); do
    a=$("$build/bench/sonda_pixel" 1000 -- "$build/src/app/hnemar")
    # The bare program would start a bus of its own for the display, which is not the atlas's.
    b=$(DBUS_SESSION_BUS_ADDRESS=disabled: "$build/bench/sonda_pixel" 1000 -- \
        "$build/bench/bench_avvio_nudo" "$picture" --resta)
    echo "$a" >>"$work/atlas"
    echo "$b" >>"$work/bare"
    awk -v a="$a" -v b="$b" -v i="$i" 'BEGIN { split(a, x, " "); split(b, y, " ");
        printf "round %d: atlas %d ms (CPU %d ms), bare %d ms (CPU %d ms), %.2f x\n", i, x[1], x[2], y[1], y[2], x[1] / y[1] }'
done
# The median of one column of a file of rounds.
mediana() { awk -v c="$2" '{ print $c }' "$1" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
a=$(mediana "$work/atlas" 1)
b=$(mediana "$work/bare" 1)
ac=$(mediana "$work/atlas" 2)
bc=$(mediana "$work/bare" 2)
awk -v a="$a" -v b="$b" -v ac="$ac" -v bc="$bc" 'BEGIN { printf "median: atlas %d ms, bare %d ms, ratio %.2f; CPU to the final pixels: atlas %d ms, bare %d ms\n", a, b, a / b, ac, bc }'
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
dopo=$(demoni)
if [ "$prima" != "$dopo" ]; then
    echo "D-Bus daemons left behind:"
    for p in $dopo; do ps -o pid=,args= -p "$p"; done
fi
