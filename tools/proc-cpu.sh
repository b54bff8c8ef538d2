# Sourced by the benchmark scripts: finds the Unix processes of the Wine prefix
# in WINEPREFIX and reads their processor time from /proc.

# Whether process $1 runs in this prefix.
in_prefix() { { tr '\0' '\n' <"/proc/$1/environ"; } 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"; }
# The Wine server of this prefix, or nothing.
prefix_server() {
    local p
    for p in $(pgrep wineserver || true); do
        in_prefix "$p" && { echo "$p"; return; }
    done
}
# The first process of this prefix whose command line matches the pattern $1, or nothing.
prefix_process() {
    local p
    for p in $(pgrep -f "$1" || true); do
        in_prefix "$p" && { echo "$p"; return; }
    done
}
# utime + stime of a process, in clock ticks; the name in parentheses may hold spaces.
cpu_ticks() { awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$1/stat" 2>/dev/null || echo 0; }
now() { date +%s.%N; }
hz=$(getconf CLK_TCK)
