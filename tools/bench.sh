#!/usr/bin/env bash
# Builds the conversions benchmark natively, optimised and without sanitizers,
# and runs it: time per call and text blocks taken per call. Arguments go to
# the benchmark (for example --benchmark_filter=Parse).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${TOLVANE_BUILD_DIR:-$root/build}"

bash "$root/tools/setup.sh"
cmake -S "$root" -B "$build/bench" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=g++ >/dev/null
cmake --build "$build/bench" -j "$(nproc)" --target conversions_bench
exec "$build/bench/tests/bench/conversions_bench" "$@"
