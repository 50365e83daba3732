#!/bin/sh
# A cross-check of the start-up row from outside the program: starts the
# program in a program folder on an X server and takes the time from just
# before the exec until the X server maps its main window ("Folio Keeper
# V…"), as xev watching the root window reports the MapNotify (the splash,
# mapped before, is told apart by its name).
#
#   bench/check-startup.sh <program folder with foliokeeper and KB97.MDB> [runs]
#
# DISPLAY must name the X server (for example one started with
# "Xvfb :42 -nolisten tcp &"); xev and xwininfo come with x11-utils.
set -eu
dir="$1"
runs="${2:-5}"
[ -n "${DISPLAY:-}" ] || { echo "DISPLAY is not set: start Xvfb first"; exit 2; }
command -v xev >/dev/null || { echo "xev is missing: apt-get install -y x11-utils"; exit 2; }
xwininfo -root >/dev/null 2>&1 || { echo "cannot reach the X server $DISPLAY"; exit 2; }
events="$(mktemp)"
fifo="$(mktemp -u)"
mkfifo "$fifo"
trap 'rm -f "$events" "$fifo"' EXIT
i=0
while [ $i -lt "$runs" ]; do
    : >"$events"
    # Each MapNotify with the moment it was read (xev line-buffered), and
    # the window it maps (named on the line after it).
    stdbuf -oL xev -root -event substructure >"$fifo" 2>/dev/null &
    xev_pid=$!
    while IFS= read -r line; do
        case "$line" in
        MapNotify*) stamp=$(date +%s%N) ;;
        *"window 0x"*)
            if [ -n "${stamp:-}" ]; then
                echo "$stamp $(echo "$line" | sed 's/.*window \(0x[0-9a-f]*\).*/\1/')" >>"$events"
                stamp=
            fi
            ;;
        esac
    done <"$fifo" &
    reader=$!
    sleep 0.5
    start=$(date +%s%N)
    env -u QT_QPA_PLATFORM "$dir/foliokeeper" >/dev/null 2>&1 &
    pid=$!
    sleep 2
    mapped=
    while read -r stamp id; do
        if xwininfo -id "$id" 2>/dev/null | grep -q 'xwininfo: Window id: .* "Folio Keeper V'; then
            mapped=$stamp
            break
        fi
    done <"$events"
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    kill "$xev_pid" 2>/dev/null || true
    wait "$reader" 2>/dev/null || true
    if [ -n "$mapped" ]; then
        echo "run $((i + 1)): $(((mapped - start) / 1000000)) ms from exec to the main window mapped"
    else
        echo "run $((i + 1)): the main window was not seen mapped within 2 s"
    fi
    i=$((i + 1))
done
