#!/bin/sh
# Start-up of the atlas against the bare Qt program, as whole processes: from start to the first
# painted home screen, with peak memory. Runs both in turn on a private 1024 × 768 X display
# (see SCHERMO below). After that paint the atlas ends as its Koniec button ends it: what it was
# saving to its cache folder is finished first, so a first start pays for its saves.
#   bench/avvio.sh BUILD_FOLDER [RUNS] [first]
# With "first" every run of the atlas is a user's first start: no HNEMAR_PREFIX and an empty data
# folder, so the default prefix is filled from the demo before the home screen shows.
# SCHERMO=WxH runs on a display of that size instead (SCHERMO=3840x2160: the stage scaled
# 2.8125 ×, the home screen made from its 3 × rendition).
# Needs Xvfb and GNU time (apt-get install -y xvfb time).
set -eu
build=$(cd "$1" && pwd)
runs=${2:-10}
primo=${3:-}
prefix=$(mktemp -d)
cp -r "$build/demo/." "$prefix/"
# A runtime folder of its own, so an atlas running elsewhere does not make this one the second
# instance (which ends at once).
mkdir -m 700 "$prefix/run"
export HNEMAR_PREFIX="$prefix" HNEMAR_ESCI_DOPO_DIPINTO=1 XDG_RUNTIME_DIR="$prefix/run"
if [ "$primo" = first ]; then
    unset HNEMAR_PREFIX
    export HNEMAR_DEMO="$build/demo"
fi
# A display number the server picks and tells once it answers; kept as it is between runs (no
# reset when the last client goes, which would refuse or delay the next one meanwhile).
Xvfb -displayfd 3 -screen 0 "${SCHERMO:-1024x768}x24" -nolisten tcp -noreset \
    3>"$prefix/display" >/dev/null 2>&1 &
xpid=$!
trap 'kill $xpid; rm -rf "$prefix"' EXIT
for _ in $(seq 100); do [ -s "$prefix/display" ] && break; sleep 0.1; done
[ -s "$prefix/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(head -n 1 "$prefix/display")
picture="$prefix/drive_d/SFONDI/sistemi.bmp"
for i in $(seq "$runs"); do
    for way in atlas bare; do
        if [ $way = atlas ]; then
            set -- "$build/src/app/hnemar"
            if [ "$primo" = first ]; then
                rm -rf "$prefix/dati"
                export XDG_DATA_HOME="$prefix/dati"
            fi
        else
            set -- "$build/bench/bench_avvio_nudo" "$picture"
        fi
        inizio=$(date +%s%N)
        /usr/bin/time -f "$way %e s %M KB exit %x" "$@" 2>&1 >/dev/null | grep -E "^$way "
        echo $((($(date +%s%N) - inizio) / 1000000)) >>"$prefix/ms-$way"
    done
done
# Milliseconds (time's own figure is in hundredths), medians. Aim: at most 1.5 times the bare
# program, on a first start too.
a=$(sort -n "$prefix/ms-atlas" | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }')
b=$(sort -n "$prefix/ms-bare" | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }')
awk -v a="$a" -v b="$b" 'BEGIN { printf "median: atlas %d ms, bare %d ms, ratio %.2f\n", a, b, a / b }'
