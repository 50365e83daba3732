#!/bin/sh
# Builds the benchmarks and the program in Release (in build-bench/), makes
# the knowledge base of the preset in bench/data/ or reuses it when one with
# the same preset and seed is there, and prints the result table. The rows
# are kept in <data>/results-<preset>.json and the charts in bench/charts/
# drawn again from them.
#
#   bench/run.sh [small|large|huge] [seed] [runner options, e.g. --only search --rounds 5]
#   bench/run.sh peers [small|large] [seed]
#
# With Xvfb installed it starts one on a free display and shows the program
# there (a real X server, as a user has); otherwise everything runs
# offscreen. QT_QPA_PLATFORM set by the caller is kept as it is.
set -eu
preset="${1:-small}"
[ $# -gt 0 ] && shift
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-bench"
data="${FOLIO_BENCH_DATA:-$root/bench/data}"
jobs="${FOLIO_BENCH_JOBS:-1}"

if [ "$preset" = peers ]; then
    exec "$root/bench/peers.sh" "$@"
fi
seed="${1:-1}"
[ $# -gt 0 ] && shift

mkdir -p "$data/xdg-runtime"
chmod 700 "$data/xdg-runtime"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$data/xdg-runtime}"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$jobs" --target foliok-benchgen foliok-bench foliok-bare foliokeeper

# The base. The huge one takes long: it is made in the background (resumable:
# an interrupted generation goes on where it stopped), and this script says
# where its progress is written.
gen() {
    QT_QPA_PLATFORM=offscreen "$build/bench/foliok-benchgen" --preset "$preset" --seed "$seed" \
        --data-root "$data" --template "$build/blank97.MDB" "$@"
}
if [ "$preset" = huge ] && ! gen --check >/dev/null; then
    log="$data/huge-s$seed.log"
    if command -v flock >/dev/null; then
        ( flock -n 9 || { echo "a generation of this base is already running: see $log"; exit 0; }
          nohup nice -n 10 sh -c "QT_QPA_PLATFORM=offscreen '$build/bench/foliok-benchgen' --preset huge --seed '$seed' \
              --data-root '$data' --template '$build/blank97.MDB'" >>"$log" 2>&1 &
          echo "generating the huge base in the background (pid $!); progress in $log;" \
               "run bench/run.sh huge again when it says done" ) 9>"$data/huge-s$seed.lock"
    else
        nohup nice -n 10 sh -c "QT_QPA_PLATFORM=offscreen '$build/bench/foliok-benchgen' --preset huge --seed '$seed' \
            --data-root '$data' --template '$build/blank97.MDB'" >>"$log" 2>&1 &
        echo "generating the huge base in the background (pid $!); progress in $log"
    fi
    exit 0
fi
gen

# The window system.
xvfb_pid=
if [ -z "${QT_QPA_PLATFORM:-}" ]; then
    if command -v Xvfb >/dev/null; then
        rm -f "$data/xvfb.display"
        Xvfb -displayfd 5 -screen 0 1920x1080x24 -nolisten tcp 5>"$data/xvfb.display" 2>"$data/xvfb.log" &
        xvfb_pid=$!
        trap 'kill "$xvfb_pid" 2>/dev/null || true' EXIT
        trap 'exit 130' INT TERM
        i=0
        while [ ! -s "$data/xvfb.display" ] && [ $i -lt 100 ] && kill -0 "$xvfb_pid" 2>/dev/null; do
            sleep 0.1
            i=$((i + 1))
        done
        if [ -s "$data/xvfb.display" ]; then
            export DISPLAY=":$(head -n1 "$data/xvfb.display")"
            if command -v xwininfo >/dev/null; then
                i=0
                while ! xwininfo -root >/dev/null 2>&1 && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
            fi
            export QT_QPA_PLATFORM=xcb FOLIO_BENCH_XSERVER=Xvfb
            echo "started Xvfb on $DISPLAY (pid $xvfb_pid): the program is shown on a real X server"
        else
            echo "Xvfb did not start (see $data/xvfb.log): running offscreen"
            export QT_QPA_PLATFORM=offscreen
        fi
    else
        echo "Xvfb is not installed (apt-get install -y xvfb): running offscreen"
        export QT_QPA_PLATFORM=offscreen
    fi
else
    echo "QT_QPA_PLATFORM=$QT_QPA_PLATFORM as given"
fi

"$build/bench/foliok-bench" --preset "$preset" --seed "$seed" --data-root "$data" \
    --program "$build/foliokeeper" --bare "$build/bench/foliok-bare" --charts-dir "$root/bench/charts" "$@"
