#!/usr/bin/env bash
# Builds tolvane.exe and starts it under Wine on the current display. Without a
# display it starts a virtual one, saves a screenshot of the window to
# build/screenshot.png and ends the program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${TOLVANE_BUILD_DIR:-$root/build}"

bash "$root/tools/setup.sh"
cmake -S "$root" -B "$build/windows" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw32.cmake" >/dev/null
cmake --build "$build/windows" -j "$(nproc)" --target tolvane
exe="$build/windows/tolvane.exe"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    export WINEPREFIX="${WINEPREFIX:-$HOME/.tolvane-wine}" WINEARCH=win32 WINEDEBUG=-all
    if [ ! -d "$WINEPREFIX" ]; then
        WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1
        # shellcheck source=tools/wine-fonts.sh
        source "$root/tools/wine-fonts.sh"
        tolvane_link_cjk_fonts
    fi
    exec wine "$exe"
fi

export FAKE_TOOLS_DIR=""
# shellcheck source=tools/wine-env.sh
source "$root/tools/wine-env.sh"
trap tolvane_wine_cleanup EXIT
wine "$exe" &
pid=$!
for _ in $(seq 100); do
    xwininfo -root -tree 2>/dev/null | grep -q -- '-Tolvane-' && break
    sleep 0.2
done
sleep 1
import -window root "$build/screenshot.png"
echo "Screenshot of the window: $build/screenshot.png"
kill "$pid" 2>/dev/null || true
