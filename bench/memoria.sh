#!/bin/sh
# Peak memory of the atlas up to its first painted home screen, on a 1024 × 768 monitor and on a
# 3840 × 2160 one (offscreen platform, the monitor given by a Qt screen file), as whole processes.
# Aim: the 3840 × 2160 figure at most twice the 1024 × 768 one.
#   bench/memoria.sh BUILD_FOLDER [RUNS]
# Builds needed: hnemar and demo.
# Needs GNU time (apt-get install -y time).
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
# The median peak resident size in KB of RUNS runs on a monitor of W × H device pixels.
picco() {
    printf '{ "screens": [{"name": "M", "x": 0, "y": 0, "width": %s, "height": %s, "logicalDpi": 96, "dpr": 1}] }\n' \
        "$1" "$2" >"$work/m.json"
    for i in $(seq "$runs"); do
        QT_QPA_PLATFORM="offscreen:configfile=$work/m.json" /usr/bin/time -f "%M" -o "$work/t" \
            "$build/src/app/hnemar" >/dev/null 2>&1 || { echo "the atlas failed" >&2; exit 1; }
        cat "$work/t"
    done | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}
piccolo=$(picco 1024 768)
grande=$(picco 3840 2160)
echo "peak memory to the first painted home screen, median of $runs runs"
echo "  monitor 1024x768:   $((piccolo / 1024)) MB"
echo "  monitor 3840x2160:  $((grande / 1024)) MB"
awk -v a="$piccolo" -v b="$grande" 'BEGIN { r = b / a;
    printf "  4K / 1024x768: %.2f (aim: at most 2) %s\n", r, r <= 2 ? "met" : "MISSED" }'
