#!/bin/sh
# lettore_schermo.sh [SCRIPT.py] APP: runs lettore_schermo.py (or SCRIPT.py) against the program on the X server sotto_x.sh
# gave it, inside a session bus of its own with the accessibility bus started on it. Exit 77
# (skipped) only when those buses cannot start; anything else missing is a failure.
set -u
qui=$(dirname "$0")
if [ -z "${DENTRO_BUS:-}" ]; then
    command -v dbus-run-session >/dev/null || { echo "lettore_schermo: no dbus-run-session"; exit 77; }
    DENTRO_BUS=1 exec dbus-run-session -- "$0" "$@"
fi
lanciatore=/usr/libexec/at-spi-bus-launcher
[ -x "$lanciatore" ] || { echo "lettore_schermo: at-spi2-core is missing (scripts/packages.txt)" >&2; exit 1; }
"$lanciatore" --launch-immediately >/dev/null 2>&1 &
bus=$!
trap 'kill $bus 2>/dev/null' EXIT
for _ in $(seq 50); do
    dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
        >/dev/null 2>&1 && break
    sleep 0.1
done
dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
    >/dev/null 2>&1 || { echo "lettore_schermo: the accessibility bus did not start"; exit 77; }
script="$qui/lettore_schermo.py"
case "${1:-}" in *.py) script=$1; shift ;; esac
# The Debian python, whose modules python3-pyatspi installs, whatever python3 is first in PATH.
/usr/bin/python3 "$script" "$@"
