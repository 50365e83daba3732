#!/bin/sh
# A cross-check of the start-up row from outside the program: starts the
# program in a program folder on an X server, and takes the time from just
# before exec until xwininfo reports its main window ("Folio Keeper V…") as
# viewable. Polling xwininfo costs a few milliseconds a look, so the figure
# is that much coarse.
#
#   bench/check-startup.sh <program folder with foliokeeper and KB97.MDB> [runs]
#
# DISPLAY must name the X server (for example one started by
# "Xvfb :42 -nolisten tcp &").
set -eu
dir="$1"
runs="${2:-5}"
[ -n "${DISPLAY:-}" ] || { echo "DISPLAY is not set: start Xvfb first"; exit 2; }
command -v xwininfo >/dev/null || { echo "xwininfo is missing: apt-get install -y x11-utils"; exit 2; }
i=0
while [ $i -lt "$runs" ]; do
    start=$(date +%s%N)
    env -u QT_QPA_PLATFORM "$dir/foliokeeper" >/dev/null 2>&1 &
    pid=$!
    while :; do
        id=$(xwininfo -root -tree 2>/dev/null | sed -n 's/^ *\(0x[0-9a-f]*\) "Folio Keeper V.*/\1/p' | head -n1)
        [ -n "$id" ] && xwininfo -id "$id" 2>/dev/null | grep -q IsViewable && break
    done
    end=$(date +%s%N)
    echo "run $((i + 1)): $(( (end - start) / 1000000 )) ms to a viewable main window"
    sleep 1.5
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    i=$((i + 1))
done
