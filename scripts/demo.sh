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
# What the host would export for a run from (100, 200) to (2500, 1000).
printf 'hq\r\nhk 0\r\nhp1 100 200\r\nhp2 2500 1000\r\nlg0\r\nly0\r\nlc2\r\nlt1\r\n#\r\n0 0 3000 0\r\n' > "$demo/temp.txt"

trap stop_all EXIT
wine_env
cd "$demo"
if [ -n "${DISPLAY:-}" ] && [ -z "${CI:-}" ] && xdpyinfo >/dev/null 2>&1; then
    echo "demo: the window opens on $DISPLAY; press OK or キャンセル"
    wine "$demo/Ravo鋼矢板.exe" || true
else
    start_xvfb
    wine "$BUILD/win32/tools/driver/ravo-driver.exe" run "$(winpath "$demo/Ravo鋼矢板.exe")" "$(winpath "$demo")" \
        --screenshot "$(winpath "$demo/screenshot.bmp")" --press ok
    convert "$demo/screenshot.bmp" "$demo/screenshot.png" && rm -f "$demo/screenshot.bmp"
    echo "demo: screenshot $demo/screenshot.png"
fi
out="$demo/jwc_temp.txt"
if [ -s "$out" ]; then
    echo "demo: $out holds $(wc -l < "$out") lines"
elif [ -e "$out" ]; then
    echo "demo: $out is empty (nothing was laid, or the run was cancelled)"
else
    echo "demo: $out was not written"
fi
