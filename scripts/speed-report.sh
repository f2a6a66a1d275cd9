#!/usr/bin/env bash
# Every benchmark next to its peer, written to docs/performance.md: the
# native core (read, layout, write, repaint onto a counting canvas) against
# mawk and gawk doing the same job, and under Wine the exe's start, OK and
# repaint against a raw GDI PolyPolyline of the same segments (on the build
# this machine executes natively, named in the report). A command that fails
# ends the report: no time of a failed run is ever written.
set -euo pipefail
source "$(dirname "$0")/common.sh"
bash "$ROOT/scripts/setup.sh"
build_native >/dev/null
choose_wine_build
build_windows "$WINE_BUILD" >/dev/null
work="$BUILD/speed"
rm -rf "$work"; mkdir -p "$work"
export RAVO_BENCH_EXPORT="$work/export.txt"
"$BUILD/native/bench/ravo_bench" --benchmark_min_time=1 --benchmark_format=json --benchmark_out="$work/bench.json" \
    --benchmark_out_format=json >/dev/null
best() {  # best wall time of three runs of a command, seconds
    local b=999 t
    for _ in 1 2 3; do
        local s e
        s=$(date +%s.%N)
        if ! "$@" >/dev/null 2>&1; then
            echo "speed-report: FAILED: $* (no time recorded)" >&2
            return 1
        fi
        e=$(date +%s.%N)
        t=$(awk -v s="$s" -v e="$e" 'BEGIN {print e - s}')
        b=$(awk -v a="$b" -v c="$t" 'BEGIN {print (c < a) ? c : a}')
    done
    echo "$b"
}
{
    echo "export_bytes $(stat -c %s "$work/export.txt")"
    for awk in mawk gawk; do
        t=$(best $awk '{print $1+0, $2+0, $3+0, $4+0}' "$work/export.txt") || exit 1
        echo "${awk}_print $t"
        t=$(best $awk -v outline="$ROOT/data/pile_n.dat" -f "$ROOT/tools/bench/peer.awk" "$work/export.txt") || exit 1
        echo "${awk}_rlw $t"
    done
} > "$work/peers.txt"
trap stop_all EXIT
wine_env "$WINE_BUILD"
start_xvfb
assemble_package "$work/tool" "$WINE_BUILD" >/dev/null
drv="$BUILD/$WINE_BUILD/tools/driver/ravo-driver.exe"
{
    echo "build $WINE_BUILD ($WINE_BUILD_WHY)" &&
    wine "$drv" bench-repaint "$(winpath "$work/tool/Ravo鋼矢板.exe")" "$(winpath "$work/tool")" &&
    wine "$drv" bench-start "$(winpath "$work/tool/Ravo鋼矢板.exe")" "$(winpath "$work/tool")" "$(winpath "$BUILD/$WINE_BUILD/tools/driver/ravo-bare-window.exe")"
} > "$work/wine.txt" || { echo "speed-report: FAILED: the Wine benchmarks (no time recorded)" >&2; exit 1; }
python3 "$ROOT/tools/bench/report.py" "$work/bench.json" "$work/peers.txt" "$work/wine.txt" "$ROOT/docs/performance.md"
