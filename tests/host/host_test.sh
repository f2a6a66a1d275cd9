#!/usr/bin/env bash
# The batch file and the tool together, as the host runs them (through the
# host simulator, under Wine). Prints "host ok <case>" or "host FAILED <case>".
# Needs: a built tree of the build RAVO_WINE_BUILD names (win32 by default),
# its Wine environment (WINE, WINEPREFIX) and a display.
set -uo pipefail
source "$(dirname "$0")/../../scripts/common.sh"
build="${RAVO_WINE_BUILD:-win32}"
drv="$BUILD/$build/tools/driver/ravo-driver.exe"
sim="python3 $ROOT/tools/hostsim/hostsim.py --driver $drv"
work="$BUILD/host-tests"
status=0
# What this script starts or mounts, undone however it ends.
tool_pid=""
full=""
cleanup() {
    [ -n "$tool_pid" ] && kill "$tool_pid" 2>/dev/null
    [ -n "$full" ] && mountpoint -q "$full" && umount "$full"
}
trap cleanup EXIT
check() {  # name, expected text in the simulator's output, command...
    local name="$1" want="$2"; shift 2
    local out
    out=$("$@" 2>&1)
    printf '%s\n' "$out" > "$work.last-out.txt"  # for the checks that follow
    if grep -qF -- "$want" <<<"$out"; then echo "host ok $name"; else echo "host FAILED $name: expected '$want', got:"; echo "$out"; status=1; fi
}
fresh() { assemble_package "$work/$1" "$build" >/dev/null; echo "$work/$1"; }

printf '0 0 3000 0\r\n' > "$work.drawing.txt" 2>/dev/null || { mkdir -p "$work"; printf '0 0 3000 0\r\n' > "$work.drawing.txt"; }

d=$(fresh ok)
check "OK hands back the run" "segments returned: 40" $sim --tool-dir "$d" --p1 100 200 --p2 900 200 --drawing "$work.drawing.txt" --press ok --out "$d/result"
[ -s "$d/result.png" ] && [ -s "$d/result.svg" ] && echo "host ok drawing rendered" || { echo "host FAILED drawing rendered"; status=1; }

d=$(fresh section)
check "a remembered hat section: 2 piles of 17 segments and the last joint" "segments returned: 35" \
    $sim --tool-dir "$d" --p1 100 200 --p2 1900 200 --type 25H --press ok --out "$d/result"
grep -qF "25H型 2枚  延長 1.800 m" "$d/result.svg" && echo "host ok the picture's title counts the piles" \
    || { echo "host FAILED the picture's title counts the piles"; status=1; }

# The other two batch files: a selected rectangle closes into a cofferdam
# (80 piles of 20 segments, 4 plates of 6); three points in order lay an
# open wall with one corner (30 piles, 1 plate).
printf '0 0 10000 0\r\n10000 0 10000 6000\r\n10000 6000 0 6000\r\n0 6000 0 0\r\n' > "$work.rectangle.txt"
d=$(fresh select)
check "a selected rectangle becomes a cofferdam" "segments returned: 1624" \
    $sim --tool-dir "$d" --select --drawing "$work.rectangle.txt" --press ok --out "$d/result"
# With 10 m piles, labels and the table: 4 labels and 21 table texts, the
# table's 12 ruling lines, rendered into the picture as texts.
d=$(fresh quantities)
check "labels and the quantity table come back as texts" "texts returned: 25" \
    $sim --tool-dir "$d" --select --drawing "$work.rectangle.txt" --length 10.0 --label --table --press ok --out "$d/result"
grep -qF "48,000.0</text>" "$d/result.svg" && [ -s "$d/result.png" ] && echo "host ok the picture shows the table's total" \
    || { echo "host FAILED the picture shows the table's total"; status=1; }
# A wall's summary is the host's notice; numbers every 5th pile, the
# elevation, the annotations on layer 3 and each pile one curve: 80 curves,
# the user's write layer 0 back at the end, 17 numbers beside the piles and
# 17 under them among the texts.
d=$(fresh sheet)
check "the host shows the wall's summary" "host shows: SP-III 80枚（コーナー4） 延長 32.800 m 質量 48.000 t" \
    $sim --tool-dir "$d" --select --drawing "$work.rectangle.txt" --length 10.0 --press ok
d=$(fresh sheet-extras)
check "numbers, the elevation, a layer and curves come back" "curves returned: 80" \
    $sim --tool-dir "$d" --select --drawing "$work.rectangle.txt" --length 10.0 --numbers 5 --elevation +0.50 \
    --layer 3 --group --press ok --out "$d/result"
grep -q "^write layer afterwards: 0; records per layer: current 1624, 3 " "$work.last-out.txt" && grep -qF "No.80</text>" "$d/result.svg" \
    && grep -qF "展開図</text>" "$d/result.svg" && echo "host ok the annotations on their layer, the user's back after them" \
    || { echo "host FAILED the annotations on their layer, the user's back after them"; status=1; }
d=$(fresh points)
check "points in order lay a wall with a corner" "segments returned: 606" \
    $sim --tool-dir "$d" --points 0 0 8000 0 8000 4000 --press ok

d=$(fresh cancel)
check "Cancel hands back nothing" "host reads: empty" $sim --tool-dir "$d" --p1 100 200 --p2 900 200 --press cancel

# A selection that cannot be laid (a T): the host shows why.
printf '0 0 500 0\r\n500 0 1000 0\r\n500 0 500 500\r\n' > "$work.tee.txt"
d=$(fresh refused)
check "a refused selection tells the host why" "host reads: error (線が分岐しています（500, 0）" \
    $sim --tool-dir "$d" --select --drawing "$work.tee.txt" --press ok

d=$(fresh failing)
cp "$drv" "$d/Ravo鋼矢板.exe"   # exits non-zero at once
check "a failing exe gives one he line" "host reads: error (矢板割付プログラムの実行に失敗しました（作図は行いません）)" \
    $sim --tool-dir "$d" --p1 0 0 --p2 800 0 --press user

d=$(fresh notransfer)
(cd "$d" && wine cmd /c "Ravo鋼矢板.bat" >/dev/null 2>&1)
if [ "$(iconv -f CP932 -t UTF-8 "$d/JWC_TEMP.TXT" 2>/dev/null | tr -d '\r\n')" = "he受け渡しファイル JWC_TEMP.TXT が見つかりません" ]; then
    echo "host ok no transfer file gives one he line"
else
    echo "host FAILED no transfer file gives one he line"; status=1
fi
# The tool's folder taken away while the window is open: OK reports the
# failed write, the window stays, Cancel ends it.
d=$(fresh gone)
printf 'hq\r\nhp1 0 0\r\nhp2 800 0\r\n' > "$d/temp.txt"
(cd "$d" && exec "$WINE" "$d/Ravo鋼矢板.exe" >/dev/null 2>&1) &
tool_pid=$!
wine "$drv" attach --press none >/dev/null 2>&1
rm -rf "$d"
check "folder gone before OK: a clear message" "message: [Ravo鋼矢板] I/O エラー 103." \
    wine "$drv" attach --press ok
wait "$tool_pid" 2>/dev/null
tool_pid=""

# The disk fills up while the result is written: a clear message, and the
# result stays empty, never partial.
mkdir -p "$work/full"
if mount -t tmpfs -o size=2400k tmpfs "$work/full" 2>/dev/null; then
    full="$work/full"
    assemble_package "$full/tool" "$build" >/dev/null
    printf 'hq\r\nhp1 0 0\r\nhp2 4000000 0\r\n' > "$full/tool/temp.txt"   # 10,000 piles, about 6 MB
    check "disk full while writing: a clear message" "message: [Ravo鋼矢板] ディスクがいっぱいです." \
        wine "$drv" run "$(winpath "$full/tool/Ravo鋼矢板.exe")" "$(winpath "$full/tool")" --press ok
    if [ ! -s "$full/tool/jwc_temp.txt" ] && [ -z "$(ls "$full/tool" | grep -i '^jwc.*\.tmp$')" ]; then
        echo "host ok disk full leaves no partial result"
    else
        echo "host FAILED disk full leaves no partial result: $(ls -la "$full/tool")"; status=1
    fi
    umount "$full" && full=""
else
    echo "host skipped disk full: no tmpfs can be mounted here"
fi
exit $status
