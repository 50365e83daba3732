#!/bin/sh
# Builds the benchmarks in Release (in build-bench/), makes the knowledge base
# of the preset in bench/data/ or reuses it when one with the same preset and
# seed is there, and prints the result table.
#
#   bench/run.sh [small|large] [seed] [runner options, e.g. --only search]
set -eu
preset="${1:-small}"
seed="${2:-1}"
[ $# -gt 0 ] && shift
[ $# -gt 0 ] && shift
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-bench"
data="${FOLIO_BENCH_DATA:-$root/bench/data}"

mkdir -p "$data/xdg-runtime"
chmod 700 "$data/xdg-runtime"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$data/xdg-runtime}"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target foliok-benchgen foliok-bench
"$build/bench/foliok-benchgen" --preset "$preset" --seed "$seed" --data-root "$data" --template "$build/blank97.MDB"
"$build/bench/foliok-bench" --preset "$preset" --seed "$seed" --data-root "$data" "$@"
