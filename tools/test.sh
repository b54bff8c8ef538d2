#!/usr/bin/env bash
# Runs every test: installs what is missing, builds natively (with AddressSanitizer
# and UBSan), builds the fuzz targets with clang, cross-builds for Windows, and runs
# all of it through ctest, the Windows programs under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${TOLVANE_BUILD_DIR:-$root/build}"
jobs=$(nproc)

bash "$root/tools/setup.sh"

echo "== native build and tests"
cmake -S "$root" -B "$build/host" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=g++ >/dev/null
cmake --build "$build/host" -j "$jobs"
ctest --test-dir "$build/host" --output-on-failure -j "$jobs"

echo "== fuzz targets (clang, libFuzzer)"
cmake -S "$root" -B "$build/fuzz" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
      -DCMAKE_C_COMPILER=clang -DTOLVANE_FUZZ=ON >/dev/null
cmake --build "$build/fuzz" -j "$jobs"
ctest --test-dir "$build/fuzz" --output-on-failure

echo "== Windows build and tests under Wine"
cmake -S "$root" -B "$build/windows" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw32.cmake" >/dev/null
cmake --build "$build/windows" -j "$jobs"
export FAKE_TOOLS_DIR="$build/windows/tests/windows"
# shellcheck source=tools/wine-env.sh
source "$root/tools/wine-env.sh"
trap tolvane_wine_cleanup EXIT
ctest --test-dir "$build/windows" --output-on-failure
