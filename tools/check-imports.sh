#!/usr/bin/env bash
# Checks that an exe imports only the system's own DLLs: the compiler's runtime
# (libgcc, libstdc++, winpthread) must be linked in, not imported.
set -euo pipefail
exe="$1"
objdump="${OBJDUMP:-i686-w64-mingw32-objdump}"
allowed='^(kernel32|user32|gdi32|msvcrt|advapi32|comctl32|shell32|ntdll)\.dll$'
imports=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
echo "Imports of $(basename "$exe"):" $imports
[ -n "$imports" ] || { echo "no import table found"; exit 1; }
bad=$(printf '%s\n' $imports | grep -Ev "$allowed" || true)
if [ -n "$bad" ]; then
    echo "Not a system DLL:" $bad
    exit 1
fi
