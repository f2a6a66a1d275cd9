#!/usr/bin/env bash
# The main job: build, lay out a demo host folder, run the tool under Wine.
# With a display the window opens for you; headless, Xvfb is started, a
# screenshot is saved, OK is pressed through the test driver, and the
# result file is reported.
set -euo pipefail
source "$(dirname "$0")/common.sh"
bash "$ROOT/scripts/setup.sh"
build_win32

demo="$ROOT/demo"
assemble_package "$demo"
# A drawing of the host's: a site boundary the wall runs along.
printf '0 0 3000 0\r\n3000 0 3000 1500\r\n0 0 0 1500\r\n' > "$demo/drawing.txt"

trap stop_all EXIT
wine_env
sim=(python3 "$ROOT/tools/hostsim/hostsim.py" --tool-dir "$demo" --p1 100 200 --p2 2500 1000 --drawing "$demo/drawing.txt"
     --out "$demo/result")
if [ -n "${DISPLAY:-}" ] && [ -z "${CI:-}" ] && xdpyinfo >/dev/null 2>&1; then
    echo "demo: the window opens on $DISPLAY; press OK or キャンセル"
    "${sim[@]}" --press user || true
else
    start_xvfb
    "${sim[@]}" --press ok --screenshot "$demo/screenshot.bmp" || true
    convert "$demo/screenshot.bmp" "$demo/screenshot.png" && rm -f "$demo/screenshot.bmp"
    echo "demo: screenshot of the tool's window: $demo/screenshot.png"
fi
out=$(find "$demo" -maxdepth 1 -iname jwc_temp.txt | head -1)
if [ -n "$out" ] && [ -s "$out" ]; then
    echo "demo: $out holds $(wc -l < "$out") lines; the host's drawing with them: $demo/result.png, $demo/result.svg"
elif [ -n "$out" ]; then
    echo "demo: $out is empty (nothing was laid, or the run was cancelled)"
else
    echo "demo: no jwc_temp.txt was written"
fi
