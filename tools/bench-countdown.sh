#!/usr/bin/env bash
# Benchmark of a whole minutes countdown: builds tolvane.exe, the fake tools and
# tests/windows/bench/countdown_bench.exe (cross-built in build/windows, or
# TOLVANE_BUILD_DIR/windows) and runs the benchmark under Wine in a fresh
# prefix. It counts N = 2 minutes with the power-off action and prints the
# program's processor time as a share of one core, the length of its ticks and
# its peak working set. It takes a little over two minutes.
#
# Between the two "@mark" lines of the benchmark this script also reads, from
# /proc, the processor time of tolvane.exe's Unix process (a check of the
# figure that the benchmark reads through Windows) and of the Wine server,
# which does part of the work of every message and window call.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${TOLVANE_BUILD_DIR:-$root/build}/windows"

bash "$root/tools/setup.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw32.cmake" >/dev/null
cmake --build "$build" -j2 --target countdown_bench >/dev/null
bench="$build/tests/windows/countdown_bench.exe"

export FAKE_TOOLS_DIR="$build/tests/windows"
# shellcheck source=tools/wine-env.sh
source "$root/tools/wine-env.sh"
trap tolvane_wine_cleanup EXIT

# shellcheck source=tools/proc-cpu.sh
source "$root/tools/proc-cpu.sh"

report() { # name, ticks used, seconds
    awk -v n="$1" -v d="$2" -v s="$3" -v hz="$hz" \
        'BEGIN { printf "  %s: %.0f ms of processor time in %.2f s = %.3f %% of one core (/proc)\n",
                 n, 1000 * d / hz, s, 100 * d / hz / s }'
}

marked=""
wine "$bench" | while IFS= read -r line; do
    line=${line%$'\r'}
    case "$line" in
    "@mark "*)
        server=$(prefix_server)
        program=$(prefix_process 'tolvane\.exe')
        if [ -z "$marked" ]; then
            marked=1
            began_at=$(now)
            server_ticks=$( [ -n "$server" ] && cpu_ticks "$server" || echo 0)
            program_ticks=$( [ -n "$program" ] && cpu_ticks "$program" || echo 0)
        else
            seconds=$(awk -v a="$began_at" -v b="$(now)" 'BEGIN { print b - a }')
            if [ -n "$program" ]; then
                report "tolvane.exe, Unix process" $(( $(cpu_ticks "$program") - program_ticks )) "$seconds"
            else
                echo "  (tolvane.exe's Unix process not found)"
            fi
            if [ -n "$server" ]; then
                report "Wine server" $(( $(cpu_ticks "$server") - server_ticks )) "$seconds"
            fi
        fi
        ;;
    *) echo "$line" ;;
    esac
done
