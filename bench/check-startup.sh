#!/bin/sh
# A cross-check of the start-up rows from outside the program: starts the
# program in a program folder and the bare Qt main window (foliok-bare) in
# turn on an X server, and takes the time from just before each exec until
# the X server maps the main window ("Folio Keeper V…", "Bare window"), as
# xev watching the root window reports the MapNotify (the program's splash,
# mapped before, is told apart by its name). Prints both medians and their
# ratio, to set beside the runner's start-up, bare-window and ratio rows.
#
#   bench/check-startup.sh <program folder with foliokeeper and KB97.MDB> [runs] [foliok-bare]
#
# The bare window defaults to build-bench/bench/foliok-bare. DISPLAY must
# name the X server (for example one started with "Xvfb :42 -nolisten tcp &");
# xev and xwininfo come with x11-utils.
set -eu
dir="$1"
runs="${2:-5}"
root="$(cd "$(dirname "$0")/.." && pwd)"
bare="${3:-$root/build-bench/bench/foliok-bare}"
[ -n "${DISPLAY:-}" ] || { echo "DISPLAY is not set: start Xvfb first"; exit 2; }
command -v xev >/dev/null || { echo "xev is missing: apt-get install -y x11-utils"; exit 2; }
xwininfo -root >/dev/null 2>&1 || { echo "cannot reach the X server $DISPLAY"; exit 2; }
[ -x "$bare" ] || { echo "no bare window at $bare: build the foliok-bare target or give its path"; exit 2; }
events="$(mktemp)"
fifo="$(mktemp -u)"
mkfifo "$fifo"
trap 'rm -f "$events" "$fifo"' EXIT

# Milliseconds from the exec of "$@" until a window whose name starts with
# $1 is mapped; -1 when none is seen within 2 s.
time_mapped() {
    name="$1"
    shift
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
    env -u QT_QPA_PLATFORM "$@" >/dev/null 2>&1 &
    pid=$!
    sleep 2
    mapped=
    while read -r stamp id; do
        if xwininfo -id "$id" 2>/dev/null | grep -q "xwininfo: Window id: .* \"$name"; then
            mapped=$stamp
            break
        fi
    done <"$events"
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    kill "$xev_pid" 2>/dev/null || true
    wait "$reader" 2>/dev/null || true
    if [ -n "$mapped" ]; then
        echo $(((mapped - start) / 1000000))
    else
        echo -1
    fi
}

# The median of the runs that went through; -1 when none did.
median() {
    printf '%s\n' "$@" | grep -v '^-1$' | sort -n | awk '{ v[NR] = $1 }
        END { if (NR == 0) print -1; else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

program_times=
bare_times=
i=0
while [ $i -lt "$runs" ]; do
    ms=$(time_mapped "Folio Keeper V" "$dir/foliokeeper")
    bare_ms=$(time_mapped "Bare window" "$bare")
    echo "run $((i + 1)): program $ms ms, bare window $bare_ms ms from exec to the main window mapped (-1: not seen within 2 s)"
    program_times="$program_times $ms"
    bare_times="$bare_times $bare_ms"
    i=$((i + 1))
done
program_median=$(median $program_times)
bare_median=$(median $bare_times)
echo "median: program $program_median ms, bare window $bare_median ms"
awk "BEGIN { if ($program_median > 0 && $bare_median > 0) printf \"ratio: %.2f× the bare window\\n\", $program_median / $bare_median;
             else print \"ratio: - (a median is missing)\" }"
