# Sourced: makes a fresh 32-bit Wine prefix in a temporary folder, starts a
# virtual display when there is none, and installs the fake ipconfig.exe and
# shutdown.exe into the prefix's system folder. Needs FAKE_TOOLS_DIR set to the
# folder holding the two fakes (or empty to skip them).
tolvane_wine_cleanup() {
    [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1 || true
    [ -n "${TOLVANE_XVFB_PID:-}" ] && kill "$TOLVANE_XVFB_PID" >/dev/null 2>&1 || true
    [ -n "${TOLVANE_WINE_TMP:-}" ] && rm -rf "$TOLVANE_WINE_TMP" || true
}

TOLVANE_WINE_TMP=$(mktemp -d /tmp/tolvane-wine.XXXXXX)
export WINEARCH=win32
export WINEPREFIX="$TOLVANE_WINE_TMP/prefix"
export WINEDEBUG=-all
# A code page other than 936 on purpose: the program must show its Chinese
# texts right whatever the system's code page is.
export LC_ALL=C.UTF-8
# Tools log what they were asked to do here.
export TOLVANE_FAKE_LOG="$TOLVANE_WINE_TMP/fake-tools.log"

if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
    for n in $(seq 90 120); do
        [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
        TOLVANE_XVFB_PID=$!
        export DISPLAY=":$n"
        for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
        xdpyinfo >/dev/null 2>&1 && break
    done
fi

# No Mono or Gecko: the prefix needs neither and would ask to download them.
WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1
wineserver -w

# Chinese in the dialog fonts, and a virtual desktop, so that windows get their
# title bars drawn even without a window manager.
# shellcheck source=tools/wine-fonts.sh
source "$(dirname "${BASH_SOURCE[0]}")/wine-fonts.sh"
tolvane_link_cjk_fonts
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
wineserver -w

if [ -n "${FAKE_TOOLS_DIR:-}" ]; then
    cp "$FAKE_TOOLS_DIR/ipconfig.exe" "$FAKE_TOOLS_DIR/shutdown.exe" "$WINEPREFIX/drive_c/windows/system32/"
fi
# Native (our own) ipconfig.exe and shutdown.exe instead of Wine's builtins.
export WINEDLLOVERRIDES="ipconfig.exe,shutdown.exe=n;mscoree,mshtml="
