#!/bin/sh
# Folio Keeper beside two other note programs on the same knowledge base:
# the base written as a CherryTree file and as a Zim notebook (by
# foliok-peers), and each program timed from exec to its main window being
# viewable on an X server, median of 3, Folio Keeper timed the same way in
# the same run. Zim's first open (which builds its index) and its second
# open are timed apart.
#
#   bench/run.sh peers [small|large] [seed]
#
# The medians are kept in <data>/results-peers.json, and bench/charts/peers.svg
# is drawn from them (foliok-bench --charts).
#
# It installs nothing. What is missing is named with the command that
# installs it; the rows of a missing program are skipped.
set -eu
preset="${1:-large}"
seed="${2:-1}"
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-bench"
data="${FOLIO_BENCH_DATA:-$root/bench/data}"
jobs="${FOLIO_BENCH_JOBS:-1}"
base="$data/$preset-s$seed"
peers="$base-peers"
runs=3

missing=
command -v Xvfb >/dev/null || missing="$missing xvfb"
command -v xwininfo >/dev/null || missing="$missing x11-utils"
have_ct=; command -v cherrytree >/dev/null && have_ct=1 || missing="$missing cherrytree"
have_zim=; command -v zim >/dev/null && have_zim=1 || missing="$missing zim"
if [ -n "$missing" ]; then
    echo "not installed:$missing (apt-get install -y$missing); their rows are skipped"
fi
if ! command -v Xvfb >/dev/null || ! command -v xwininfo >/dev/null; then
    echo "the peers are timed to a window on an X server: nothing to measure without Xvfb and xwininfo"
    exit 0
fi

# The base and the program, as bench/run.sh makes them.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$jobs" --target foliok-benchgen foliok-peers foliok-bench foliokeeper
QT_QPA_PLATFORM=offscreen "$build/bench/foliok-benchgen" --preset "$preset" --seed "$seed" \
    --data-root "$data" --template "$build/blank97.MDB"

# The peers' notebooks, written once per base (the large base in full: a
# peer that would take over ten minutes is given FOLIO_PEERS_SUBSET=10).
subset="${FOLIO_PEERS_SUBSET:-1}"
if [ ! -f "$peers/done-$subset" ]; then
    rm -rf "$peers"
    "$build/bench/foliok-peers" --base "$base" --out "$peers" --subset "$subset"
    touch "$peers/done-$subset"
fi
[ "$subset" = 1 ] && size="full size" || size="1/$subset of the base"

# The X server, and a home of their own for the peers (their settings and
# caches go there, not into the user's).
rm -f "$data/xvfb.display"
Xvfb -displayfd 5 -screen 0 1920x1080x24 -nolisten tcp 5>"$data/xvfb.display" 2>"$data/xvfb.log" &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null || true' EXIT
trap 'exit 130' INT TERM
i=0
while [ ! -s "$data/xvfb.display" ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
export DISPLAY=":$(head -n1 "$data/xvfb.display")"
unset QT_QPA_PLATFORM
i=0
while ! xwininfo -root >/dev/null 2>&1; do
    [ $i -lt 100 ] || { echo "the X server $DISPLAY does not answer (see $data/xvfb.log)"; exit 1; }
    sleep 0.1
    i=$((i + 1))
done
echo "started Xvfb on $DISPLAY (pid $xvfb_pid)"
home="$peers/home"
mkdir -p "$home"
export XDG_CONFIG_HOME="$home/config" XDG_CACHE_HOME="$home/cache" XDG_DATA_HOME="$home/data"

# Milliseconds from exec of "$@" until a viewable top-level window whose
# name matches $pattern exists; the program is then ended.
time_window() {
    pattern="$1"
    shift
    start=$(date +%s%N)
    "$@" >>"$peers/programs.log" 2>&1 &
    pid=$!
    deadline=$((start + 600000000000))
    while :; do
        id=$(xwininfo -root -tree 2>/dev/null | grep -E "\"[^\"]*$pattern" | sed -n 's/^ *\(0x[0-9a-f]*\).*/\1/p' | head -n1)
        if [ -n "$id" ] && xwininfo -id "$id" 2>/dev/null | grep -q IsViewable; then
            break
        fi
        if ! kill -0 "$pid" 2>/dev/null || [ "$(date +%s%N)" -gt "$deadline" ]; then
            stop_program "$pid"
            echo "-1"
            return
        fi
    done
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
    sleep 1
    stop_program "$pid"
}

# Ends a program; one that is busy (indexing) and does not end on TERM
# within five seconds is killed.
stop_program() {
    kill "$1" 2>/dev/null || true
    i=0
    while kill -0 "$1" 2>/dev/null && [ $i -lt 50 ]; do sleep 0.1; i=$((i + 1)); done
    kill -9 "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}

# The median of the runs that went through (-1: a run that failed); -1 when none did.
median3() {
    ok=$(printf '%s\n' "$@" | grep -v '^-1$' || true)
    [ -n "$ok" ] || { echo -1; return; }
    n=$(printf '%s\n' "$ok" | wc -l)
    printf '%s\n' "$ok" | sort -n | sed -n "$(((n + 1) / 2))p"
}

# Folio Keeper: the installed layout, the executable beside KB97.MDB.
fk="$peers/foliokeeper-run"
rm -rf "$fk"
mkdir -p "$fk"
cp "$base/KB97.MDB" "$base/blank97.MDB" "$build/foliokeeper" "$fk/"
fk_times=
for n in 1 2 3; do fk_times="$fk_times $(time_window 'Folio Keeper V' "$fk/foliokeeper")"; done
fk_ms=$(median3 $fk_times)

# The programs' figures for results-peers.json: name, median, then the runs.
json_programs=
keep() {
    name="$1"
    median="$2"
    shift 2
    runs=$(echo "$@" | sed 's/^ *//; s/ *$//; s/  */, /g')
    json_programs="${json_programs:+$json_programs, }{\"program\": \"$name\", \"median_ms\": $median, \"runs\": [$runs]}"
}
keep "Folio Keeper" "$fk_ms" $fk_times

row() { printf '| %-44s | %-22s | %8s | %s |\n' "$1" "$2" "$3" "$4"; }
ratio() { [ "$1" -gt 0 ] && [ "$fk_ms" -gt 0 ] && awk "BEGIN { printf \"%.1f×\", $1 / $fk_ms }" || echo "-"; }
echo
row "Program: exec to viewable main window" "Data" "Median" "Ratio to Folio Keeper (runs)"
row "--------------------------------------------" "----------------------" "--------" "----------------------------"
row "Folio Keeper" "$size" "$fk_ms ms" "1.0× ($fk_times )"

if [ -n "$have_ct" ]; then
    ct_times=
    # Its window is mapped empty at once; its title names the file once
    # the file is loaded and shown.
    for n in 1 2 3; do ct_times="$ct_times $(time_window 'bench\.ctb - ' cherrytree "$peers/bench.ctb")"; done
    ct_ms=$(median3 $ct_times)
    row "CherryTree, bench.ctb loaded" "$size" "$ct_ms ms" "$(ratio "$ct_ms") ($ct_times )"
    keep "CherryTree, bench.ctb loaded" "$ct_ms" $ct_times
else
    row "CherryTree" "$size" "skipped" "not installed"
fi

if [ -n "$have_zim" ]; then
    # The first open of a notebook builds its index; the index is kept in
    # the cache, so the later opens are second opens. Its window is titled
    # "<page> - <notebook name>".
    first_times=
    second_times=
    for n in 1 2 3; do
        rm -rf "$XDG_CACHE_HOME/zim"
        first_times="$first_times $(time_window ' - Folio Keeper bench"' zim --standalone "$peers/zim")"
        second_times="$second_times $(time_window ' - Folio Keeper bench"' zim --standalone "$peers/zim")"
    done
    first_ms=$(median3 $first_times)
    second_ms=$(median3 $second_times)
    row "Zim, first open (index building)" "$size" "$first_ms ms" "$(ratio "$first_ms") ($first_times )"
    row "Zim, second open" "$size" "$second_ms ms" "$(ratio "$second_ms") ($second_times )"
    keep "Zim, first open (index building)" "$first_ms" $first_times
    keep "Zim, second open" "$second_ms" $second_times
    # The indexing the first open starts behind its window, timed on its
    # own: the command-line index build from an empty cache, once.
    rm -rf "$XDG_CACHE_HOME/zim"
    start=$(date +%s%N)
    if zim --index "$peers/zim" >>"$peers/programs.log" 2>&1; then
        index_ms=$((($(date +%s%N) - start) / 1000000))
    else
        index_ms=-1
    fi
    row "Zim, index build (zim --index), once" "$size" "$index_ms ms" "$(ratio "$index_ms")"
    echo
    echo "Zim's window comes before its index is built: the first-open row times the window only;"
    echo "the index build row times the indexing that goes on behind it."
else
    row "Zim" "$size" "skipped" "not installed"
fi
echo
echo "-1 in a run: the window did not appear within ten minutes, or the program ended first (see $peers/programs.log)."

printf '{"size": "%s base, %s", "date": "%s", "programs": [%s]}\n' "$preset" "$size" \
    "$(date -u +%Y-%m-%dT%H:%M:%SZ)" "$json_programs" >"$data/results-peers.json"
"$build/bench/foliok-bench" --charts --data-root "$data" --charts-dir "$root/bench/charts"
