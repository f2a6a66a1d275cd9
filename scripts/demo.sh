#!/usr/bin/env bash
# The main job: build, lay out a demo host folder, run the tool under Wine
# through the host simulator. With a display the window opens for you;
# headless, Xvfb is started, a screenshot is saved, OK is pressed through the
# test driver, and the result file is reported. Runs the build this machine
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

trap stop_all EXIT
wine_env "$WINE_BUILD" || die "the Wine prefix"
sim=(python3 "$ROOT/tools/hostsim/hostsim.py" --tool-dir "$demo" --p1 100 200 --p2 2500 1000 --drawing "$demo/drawing.txt"
     --out "$demo/result")
shot=""
if [ -n "${DISPLAY:-}" ] && [ -z "${CI:-}" ] && xdpyinfo >/dev/null 2>&1; then
    echo "demo: the window opens on $DISPLAY; press OK or キャンセル"
    "${sim[@]}" --press user || die "the host simulator (see above)"
else
    start_xvfb || die "Xvfb"
    rm -f "$demo/screenshot.bmp" "$demo/screenshot.png"
    "${sim[@]}" --press ok --screenshot "$demo/screenshot.bmp" || die "the host simulator (see above)"
    [ -s "$demo/screenshot.bmp" ] || die "no screenshot was made (the tool's window never showed)"
    convert "$demo/screenshot.bmp" "$demo/screenshot.png" && rm -f "$demo/screenshot.bmp" || die "converting the screenshot"
    shot="$demo/screenshot.png"
fi
out=$(find "$demo" -maxdepth 1 -iname jwc_temp.txt | head -1)
[ -n "$out" ] || die "no jwc_temp.txt was written"
first=$(head -c 2 "$out")
[ "$first" != hq ] || die "$out still holds the host's own export (hq): the tool never ran"
[ "$first" != he ] || die "$out holds the batch file's error: $(iconv -f CP932 -t UTF-8 "$out" | head -1)"
if [ -s "$out" ]; then
    echo "demo: $out holds $(wc -l < "$out") lines"
else
    echo "demo: $out is empty (the run was cancelled)"
fi
for f in "$shot" "$demo/result.png" "$demo/result.svg"; do
    [ -n "$f" ] && [ -s "$f" ] && echo "demo: $f"
done
exit 0
