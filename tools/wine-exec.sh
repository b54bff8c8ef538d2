#!/usr/bin/env bash
# Runs a Windows program under Wine in the prefix that tools/wine-env.sh made.
export WINEDEBUG="${WINEDEBUG:--all}"
exec wine "$@"
