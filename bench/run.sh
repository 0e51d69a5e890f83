#!/bin/sh
# Runs every benchmark of a release build and prints one table of medians and ratios.
#   bench/run.sh BUILD_DIR      (what `make bench` does, with BUILD_DIR build-release)
# Everything is done under one temporary directory, removed at the end: its own HOME, config and data
# folders (no real settings are read, nothing goes to the real trash), the program directories, the
# 256 MiB copies. An Xvfb server of its own, on a free display, serves the start-up and detection
# benchmarks.
set -eu
build=$(cd "$1" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/stowbox-bench.XXXXXX")
xvfb=
cleanup() {
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

export TMPDIR="$work" HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" \
    XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$HOME" "$XDG_CONFIG_HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# -noreset: the server must not reset between the many short-lived clients.
Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 1024x768x24 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
tries=0
until [ -s "$work/display" ]; do
    tries=$((tries + 1))
    if [ "$tries" -gt 100 ] || ! kill -0 "$xvfb" 2>/dev/null; then
        echo "Xvfb did not start:" >&2
        cat "$work/xvfb.log" >&2
        exit 1
    fi
    sleep 0.1
done
export DISPLAY=":$(cat "$work/display")"

echo "Machine: $(nproc) CPUs, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)," \
    "$(awk '/^MemTotal/ { printf "%.1f GiB", $2 / 1048576 }' /proc/meminfo) memory"
echo "Load before: $(cut -d ' ' -f 1-3 /proc/loadavg)"
echo
printf '%-40s %16s %-26s %10s %7s  %-10s %s\n' "Measure (median)" "Stowbox" "Reference" "" "Ratio" "Goal" ""
"$build/bench/startup_bench" "$build/STX102" "$build/bench/startup_reference" 10000 100000 11
QT_QPA_PLATFORM=offscreen "$build/bench/refresh_bench" 10000 51
QT_QPA_PLATFORM=offscreen "$build/bench/refresh_bench" 100000 21
"$build/bench/copy_bench" 256 10
"$build/bench/detect_bench" 300 200
"$build/bench/cli_bench" "$build/STX102" 10000 1 21
echo
echo "Load after: $(cut -d ' ' -f 1-3 /proc/loadavg)"
