#!/usr/bin/env bash
# Every benchmark next to its peer, written to docs/performance.md: the
# native core (read, layout, write, repaint onto a counting canvas) against
# mawk and gawk doing the same job, and under Wine the exe's start, OK and
# repaint against a raw GDI PolyPolyline of the same segments.
set -euo pipefail
source "$(dirname "$0")/common.sh"
bash "$ROOT/scripts/setup.sh"
build_native >/dev/null
build_win32 >/dev/null
work="$BUILD/speed"
rm -rf "$work"; mkdir -p "$work"
export RAVO_BENCH_EXPORT="$work/export.txt"
"$BUILD/native/bench/ravo_bench" --benchmark_min_time=1 --benchmark_format=json --benchmark_out="$work/bench.json" \
    --benchmark_out_format=json >/dev/null
best() {  # best wall time of three runs of a command, seconds
    local b=999 t
    for _ in 1 2 3; do
        local s e
        s=$(date +%s.%N); "$@" >/dev/null 2>&1; e=$(date +%s.%N)
        t=$(awk -v s="$s" -v e="$e" 'BEGIN {print e - s}')
        b=$(awk -v a="$b" -v c="$t" 'BEGIN {print (c < a) ? c : a}')
    done
    echo "$b"
}
{
    echo "export_bytes $(stat -c %s "$work/export.txt")"
    for awk in mawk gawk; do
        echo "${awk}_print $(best $awk '{print $1+0, $2+0, $3+0, $4+0}' "$work/export.txt")"
        echo "${awk}_rlw $(best $awk -v outline="$ROOT/data/pile_n.dat" -f "$ROOT/tools/bench/peer.awk" "$work/export.txt")"
    done
} > "$work/peers.txt"
trap stop_all EXIT
wine_env
start_xvfb
assemble_package "$work/tool" >/dev/null
drv="$BUILD/win32/tools/driver/ravo-driver.exe"
{
    wine "$drv" bench-repaint "$(winpath "$work/tool/Ravo鋼矢板.exe")" "$(winpath "$work/tool")"
    wine "$drv" bench-start "$(winpath "$work/tool/Ravo鋼矢板.exe")" "$(winpath "$work/tool")"
} > "$work/wine.txt"
python3 "$ROOT/tools/bench/report.py" "$work/bench.json" "$work/peers.txt" "$work/wine.txt" "$ROOT/docs/performance.md"
