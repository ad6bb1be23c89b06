#!/bin/sh
# Peak memory of the atlas up to its first painted home screen, on a 1024 × 768 monitor, a
# 1920 × 1080 one and a 3840 × 2160 one, as whole processes: on an X server of that size (Xvfb, the path a desktop
# takes, shared-memory window buffers included) and on the offscreen platform (the monitor
# given by a Qt screen file).
# Aim: each larger monitor's figure at most twice the 1024 × 768 one.
#   bench/memoria.sh BUILD_FOLDER [RUNS]
# Builds needed: hnemar and demo.
# Needs GNU time (apt-get install -y time); the X figures need Xvfb.
set -eu
build=$(cd "$1" && pwd)
runs=${2:-3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/prefix"
cp -r "$build/demo/." "$work/prefix/"
# A runtime folder of its own, so an atlas running elsewhere does not make this one the second
# instance (which ends at once).
mkdir -m 700 "$work/run"
export HNEMAR_PREFIX="$work/prefix" HNEMAR_ESCI_DOPO_DIPINTO=1 XDG_RUNTIME_DIR="$work/run"
unset HNEMAR_SCALE

# The median peak resident size in KB of RUNS runs, on the platform set in QT_QPA_PLATFORM.
mediana() {
    for i in $(seq "$runs"); do
        /usr/bin/time -f "%M" -o "$work/t" "$build/src/app/hnemar" >/dev/null 2>&1 ||
            { echo "the atlas failed" >&2; exit 1; }
        cat "$work/t"
    done | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}

# On the offscreen platform, a monitor of W × H device pixels.
fuori() {
    printf '{ "screens": [{"name": "M", "x": 0, "y": 0, "width": %s, "height": %s, "logicalDpi": 96, "dpr": 1}] }\n' \
        "$1" "$2" >"$work/m.json"
    QT_QPA_PLATFORM="offscreen:configfile=$work/m.json" mediana
}

# On an X server of its own with one W × H monitor (run in a subshell, which ends the server).
suX() {
    rm -f "$work/display"
    Xvfb -displayfd 3 -screen 0 "$1x$2x24" -nolisten tcp 3>"$work/display" 2>/dev/null &
    xvfb=$!
    trap 'kill $xvfb 2>/dev/null' EXIT
    for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
    [ -s "$work/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
    DISPLAY=:$(head -n 1 "$work/display") QT_QPA_PLATFORM=xcb mediana
}

riga() { # LABEL KB_1024x768 KB_1920x1080 KB_3840x2160
    awk -v n="$1" -v a="$2" -v m="$3" -v b="$4" 'BEGIN {
        printf "  %-10s 1024x768: %3d MB   1920x1080: %3d MB   3840x2160: %3d MB\n",
            n, a / 1024, m / 1024, b / 1024
        printf "  %-10s ratios to 1024x768: 1080p %.2f, 4K %.2f (aim: at most 2) %s\n", "",
            m / a, b / a, (m / a <= 2 && b / a <= 2) ? "met" : "MISSED" }'
}

echo "peak memory to the first painted home screen, median of $runs runs"
if command -v Xvfb >/dev/null; then
    a=$(suX 1024 768) && m=$(suX 1920 1080) && b=$(suX 3840 2160)
    riga "X server" "$a" "$m" "$b"
fi
a=$(fuori 1024 768) && m=$(fuori 1920 1080) && b=$(fuori 3840 2160)
riga offscreen "$a" "$m" "$b"
