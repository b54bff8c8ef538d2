#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, as tools/test.sh does, and runs each
# for FUZZ_SECONDS (300 unless set) on its seed corpus. New inputs land in a
# work folder of the build, not in the committed corpus; a failing input is
# saved in the current folder as crash-*, leak-* or timeout-*.
# Usage: tools/fuzz-long.sh [target...]   (default: every *_fuzz target)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${TOLVANE_BUILD_DIR:-$root/build}"
seconds="${FUZZ_SECONDS:-300}"

bash "$root/tools/setup.sh"
cmake -S "$root" -B "$build/fuzz" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
      -DCMAKE_C_COMPILER=clang -DTOLVANE_FUZZ=ON >/dev/null
cmake --build "$build/fuzz" -j "$(nproc)"

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for source in "$root"/tests/fuzz/*_fuzz.cpp; do
        targets+=("$(basename "$source" .cpp)")
    done
fi

failed=0
for name in "${targets[@]}"; do
    work="$build/fuzz/tests/fuzz/work/$name"
    mkdir -p "$work"
    echo "== $name for ${seconds}s"
    if ! ASAN_OPTIONS=detect_leaks=1 "$build/fuzz/tests/fuzz/$name" -max_total_time="$seconds" \
            -rss_limit_mb=2048 -print_final_stats=1 "$work" "$root/tests/fuzz/corpus/$name"; then
        echo "== $name FAILED"
        failed=1
    fi
done
exit $failed
