#!/usr/bin/env bash
# Benchmark of the paced wait: builds tests/windows/bench/paced_delay_bench.exe
# (cross-built in build/windows, or TOLVANE_BUILD_DIR/windows) and runs it under
# Wine in a fresh prefix. It prints the processor time of a ten-second stretch
# of PacedDelay(1000) waits as a share of one core, and the length of each wait;
# then, for scale, the same for two seconds of the plain busy poll.
#
# Under Wine part of every message-queue call and wait is done by the Wine
# server, so its processor time over each part ("@mark" lines of the program)
# is measured here and printed beside the program's own.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${TOLVANE_BUILD_DIR:-$root/build}/windows"

bash "$root/tools/setup.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw32.cmake" >/dev/null
cmake --build "$build" -j2 --target paced_delay_bench >/dev/null
bench="$build/tests/windows/bench/paced_delay_bench.exe"

export FAKE_TOOLS_DIR=""
# shellcheck source=tools/wine-env.sh
source "$root/tools/wine-env.sh"
trap tolvane_wine_cleanup EXIT

# shellcheck source=tools/proc-cpu.sh
source "$root/tools/proc-cpu.sh"

declare -A began_ticks began_at
wine "$bench" | while IFS= read -r line; do
    line=${line%$'\r'}
    case "$line" in
    "@mark "*)
        part=${line#@mark }
        server=$(prefix_server)
        [ -n "$server" ] || { echo "(no Wine server found for this prefix)"; continue; }
        if [ -z "${began_ticks[$part]:-}" ]; then
            began_ticks[$part]=$(cpu_ticks "$server")
            began_at[$part]=$(now)
        else
            awk -v p="$part" -v hz="$hz" -v d=$(($(cpu_ticks "$server") - began_ticks[$part])) \
                -v s="${began_at[$part]}" -v e="$(now)" \
                'BEGIN { printf "  Wine server during %s: %.0f ms of processor time in %.2f s = %.2f %% of one core\n",
                         p, 1000 * d / hz, e - s, 100 * d / hz / (e - s) }'
        fi
        ;;
    *) echo "$line" ;;
    esac
done
