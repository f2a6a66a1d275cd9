#!/usr/bin/env bash
# The main job: build, lay out a demo host folder, run the tool under Wine
# through the host simulator. With a display the window opens for you;
# headless, Xvfb is started, a screenshot is saved, OK is pressed through the
# test driver, and the result file is reported: first a cofferdam selected in
# the host, then a straight run between two points. Runs the build this machine
# executes natively (the 32-bit product where the kernel runs 32-bit code,
# the same sources built for 64-bit Windows where it does not). Exits
# non-zero, with the cause, when any of that did not happen.
set -euo pipefail
source "$(dirname "$0")/common.sh"
die() { echo "demo: FAILED: $*" >&2; exit 1; }
bash "$ROOT/scripts/setup.sh" || die "setup"
choose_wine_build
echo "demo: the $WINE_BUILD build ($WINE_BUILD_WHY)"
build_windows "$WINE_BUILD" > "$BUILD/demo-build.log" 2>&1 || { tail -20 "$BUILD/demo-build.log"; die "the $WINE_BUILD build"; }
export RAVO_WINE_BUILD="$WINE_BUILD"

demo="$ROOT/demo"
assemble_package "$demo" "$WINE_BUILD"
# A drawing of the host's: a site boundary the wall runs along.
printf '0 0 3000 0\r\n3000 0 3000 1500\r\n0 0 0 1500\r\n' > "$demo/drawing.txt"

# A cofferdam (仮締切) 10 m by 6 m drawn in the host, selected as a whole,
# its piles 10 m long, with a label per side, the quantity table, a number
# every 5 piles, the developed elevation from +0.50 and supports at 1.0 and
# 4.0 m below the head.
printf '0 0 10000 0\r\n10000 0 10000 6000\r\n10000 6000 0 6000\r\n0 6000 0 0\r\n' > "$demo/cofferdam.txt"

trap stop_all EXIT
wine_env "$WINE_BUILD" || die "the Wine prefix"
headless=1
if [ -n "${DISPLAY:-}" ] && [ -z "${CI:-}" ] && xdpyinfo >/dev/null 2>&1; then
    headless=""
else
    start_xvfb || die "Xvfb"
fi
shots=()
# run_case NAME hostsim-arguments...: the tool through the host simulator,
# its window worked by you (with a display) or by the driver (headless).
run_case() {
    local name="$1"; shift
    local sim=(python3 "$ROOT/tools/hostsim/hostsim.py" --tool-dir "$demo" "$@" --out "$demo/$name")
    if [ -z "$headless" ]; then
        echo "demo: $name: the window opens on $DISPLAY; press OK or キャンセル"
        "${sim[@]}" --press user || die "the host simulator (see above)"
    else
        rm -f "$demo/$name-screenshot.bmp" "$demo/$name-screenshot.png"
        "${sim[@]}" --press ok --screenshot "$demo/$name-screenshot.bmp" || die "the host simulator (see above)"
        [ -s "$demo/$name-screenshot.bmp" ] || die "no screenshot was made (the tool's window never showed)"
        convert "$demo/$name-screenshot.bmp" "$demo/$name-screenshot.png" && rm -f "$demo/$name-screenshot.bmp" \
            || die "converting the screenshot"
        shots+=("$demo/$name-screenshot.png")
    fi
    local out
    out=$(find "$demo" -maxdepth 1 -iname jwc_temp.txt | head -1)
    [ -n "$out" ] || die "no jwc_temp.txt was written"
    local first
    first=$(head -c 2 "$out")
    [ "$first" != hq ] || die "$out still holds the host's own export (hq): the tool never ran"
    [ "$first" != he ] || die "$out holds the batch file's error: $(iconv -f CP932 -t UTF-8 "$out" | head -1)"
    if [ -s "$out" ]; then
        echo "demo: $name: $out holds $(wc -l < "$out") lines"
    else
        echo "demo: $name: $out is empty (the run was cancelled)"
    fi
}
run_case cofferdam --select --drawing "$demo/cofferdam.txt" --length 10.0 --label --table --numbers 5 --elevation +0.50 \
    --supports "1.0 4.0"
run_case result --p1 100 200 --p2 2500 1000 --drawing "$demo/drawing.txt"
for f in "${shots[@]}" "$demo"/cofferdam.png "$demo"/cofferdam.svg "$demo/result.png" "$demo/result.svg"; do
    [ -s "$f" ] && echo "demo: $f"
done
exit 0
