#!/usr/bin/env bash
# The release: builds the exe and assembles out/Ravo鋼矢板/ (exe, batch file
# in code page 932, data\, はじめにお読みください.txt) and out/Ravo鋼矢板.zip.
# Checks that the exe is 32-bit, large-address-aware and needs no DLL outside Windows, then runs
# the shipped exe itself on a brand-new Wine prefix: the start-from-host
# message, the typical run with "起点" ticked (its result byte for byte the
# 64-bit build's), Cancel. Natively where the kernel runs 32-bit code,
# otherwise through qemu's user-mode emulation; where neither can be, those
# checks are reported as skipped, never as passed.
# Prints one line per check: "check ok|FAILED|skipped: ...". Exits non-zero
# when a check failed.
set -uo pipefail
source "$(dirname "$0")/common.sh"
bash "$ROOT/scripts/setup.sh" >/dev/null || { echo "check FAILED: setup"; exit 1; }
for b in win32 win64; do
    if ! build_windows "$b" > "$BUILD/package-build-$b.log" 2>&1; then
        tail -20 "$BUILD/package-build-$b.log"
        echo "check FAILED: the $b build"
        exit 1
    fi
done

out="$ROOT/out"
pkg="$out/Ravo鋼矢板"
assemble_package "$pkg" win32
sed 's/$/\r/' "$ROOT/dist/readme-ja.txt.in" | iconv -f UTF-8 -t CP932 > "$pkg/はじめにお読みください.txt"
rm -f "$out/Ravo鋼矢板.zip"
python3 "$ROOT/tools/package/zip_utf8.py" make "$out/Ravo鋼矢板.zip" "$pkg" || { echo "check FAILED: zip"; exit 1; }
echo "package: $pkg"
echo "package: $out/Ravo鋼矢板.zip ($(stat -c %s "$out/Ravo鋼矢板.zip") bytes)"

exe="$pkg/Ravo鋼矢板.exe"
fail=0
ok() { echo "check ok: $*"; }
bad() { echo "check FAILED: $*"; fail=1; }

# The zip read back: every entry flagged UTF-8, and the exe, the batch file,
# the readme and the data found under their own names.
listing=$(python3 "$ROOT/tools/package/zip_utf8.py" names "$out/Ravo鋼矢板.zip" 2>&1)
missing=""
for name in "Ravo鋼矢板/Ravo鋼矢板.exe" "Ravo鋼矢板/Ravo鋼矢板.bat" "Ravo鋼矢板/はじめにお読みください.txt" \
            "Ravo鋼矢板/Ravo鋼矢板_線選択.bat" "Ravo鋼矢板/Ravo鋼矢板_連続点.bat" \
            "Ravo鋼矢板/data/pile_n.dat" "Ravo鋼矢板/data/25H/pile_n.dat" "Ravo鋼矢板/data/h_sections.dat"; do
    grep -qxF "utf8 $name" <<<"$listing" || missing+=" $name"
done
if [ -z "$missing" ] && ! grep -q '^no-flag' <<<"$listing"; then
    ok "zip: $(wc -l <<<"$listing") entries, every name flagged UTF-8, the exe, batch file, readme and data by name"
else
    bad "zip names:${missing:- an entry without the UTF-8 flag}"
fi
# Through variables: under pipefail, grep -q leaving early would fail the
# pipe with objdump's SIGPIPE. In the C locale: the tests run in ja_JP, and
# objdump translates its words.
header=$(LC_ALL=C i686-w64-mingw32-objdump -f "$exe" 2>&1)
if grep -q 'file format pei-i386' <<<"$header"; then
    ok "32-bit (PE32, i386)"
else
    bad "not a 32-bit exe"
fi
# Large-address-aware: 4 GB under 64-bit Windows rather than 2 GB.
privates=$(LC_ALL=C i686-w64-mingw32-objdump -p "$exe" 2>&1)
if grep -q 'large address aware' <<<"$privates"; then
    ok "large-address-aware"
else
    bad "not large-address-aware"
fi
system_dlls='^(kernel32|user32|gdi32|comctl32|shell32|msvcrt|advapi32|comdlg32|ole32)\.dll$'
dlls=$(LC_ALL=C i686-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ {print tolower($3)}')
extra=$(echo "$dlls" | grep -v -E "$system_dlls" || true)
if [ -z "$extra" ]; then
    ok "imports only Windows DLLs ($(echo $dlls | tr ' ' ','))"
else
    bad "needs $extra"
fi

# ---- the shipped exe, run -------------------------------------------------
smoke=(start-from-host "typical run with 起点" "Cancel")
slow=1
if ! have_wine64; then
    why="64-bit Wine is not installed"
elif ! have_wine32; then
    why="32-bit Wine is not installed (setup could not install it)"
elif kernel_runs_i386; then
    why=""; how="natively"
elif i386_emulated; then
    why=""; how="through qemu user-mode emulation (this kernel runs no 32-bit code)"; slow=30
else
    why="this kernel runs no 32-bit code and qemu-i386 is not registered"
fi
if [ -n "$why" ]; then
    for s in "${smoke[@]}"; do echo "check skipped: the shipped exe, $s: $why"; done
    exit $fail
fi

# A brand-new prefix: nothing of ours installed, only the package folder. A
# 64-bit prefix, so that where the 32-bit side is emulated only the tool's
# own processes are; the driver and the reference run are 64-bit.
trap 'stop_all; rm -rf "$clean"' EXIT
clean="$(mktemp -d /tmp/ravo-clean-prefix-XXXXXX)"
started=$(date +%s)
wine_env win64 "$clean/prefix" || { bad "a clean Wine prefix could not be created"; exit 1; }
[ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1 || start_xvfb || { bad "no display"; exit 1; }
echo "package: running the shipped exe $how (prefix made in $(( $(date +%s) - started )) s)"
drv="$BUILD/win64/tools/driver/ravo-driver.exe"
limit=$((120 * slow))
# drive <folder> <exe> <driver options...>: the driver's report. Through a
# file: Wine's desktop process, started with the first window, keeps the
# output of whoever started it open.
drive() {
    local folder="$1" exe="$2"; shift 2
    timeout "$limit" "$WINE" "$drv" run "$(winpath "$exe")" "$(winpath "$folder")" --slow "$slow" "$@" \
        > "$clean/said.txt" 2>&1 || echo "driver exit status $?" >> "$clean/said.txt"
    cat "$clean/said.txt"
}
copy_of() { rm -rf "$clean/$1"; cp -r "$pkg" "$clean/$1"; echo "$clean/$1"; }
typical=$'hq\r\nhp1 100 200\r\nhp2 900 200\r\n'

t0=$(date +%s)
d=$(copy_of start)
said=$(drive "$d" "$d/Ravo鋼矢板.exe" --press none)
if grep -qF 'message: [Ravo鋼矢板] このプログラムはJWW外部変形用実行ファイルです' <<<"$said" &&
   grep -qF 'JWWの外部変形から' <<<"$said"; then
    ok "the shipped exe, start-from-host: the message shows ($(( $(date +%s) - t0 )) s)"
else
    bad "the shipped exe, start-from-host: $said"
fi

t0=$(date +%s)
d=$(copy_of typical); printf '%s' "$typical" > "$d/temp.txt"
said=$(drive "$d" "$d/Ravo鋼矢板.exe" --tick start --press ok)
r=$(copy_of reference); printf '%s' "$typical" > "$r/temp.txt"
cp "$BUILD/win64/src/app/Ravo鋼矢板.exe" "$r/Ravo鋼矢板-64.exe"
ref=$(drive "$r" "$r/Ravo鋼矢板-64.exe" --tick start --press ok)
if [ -s "$d/jwc_temp.txt" ] && [ -s "$r/jwc_temp.txt" ] && cmp -s "$d/jwc_temp.txt" "$r/jwc_temp.txt" &&
   grep -q 'exit code: 0' <<<"$said"; then
    ok "the shipped exe, typical run with 起点: $(wc -l < "$d/jwc_temp.txt") lines, byte for byte the 64-bit build's ($(( $(date +%s) - t0 )) s)"
else
    bad "the shipped exe, typical run with 起点: the result differs from the 64-bit build's or is missing"
    echo "  shipped: $said" | head -8; echo "  64-bit: $ref" | head -8
fi

t0=$(date +%s)
d=$(copy_of cancel); printf '%s' "$typical" > "$d/temp.txt"; printf 'stale\r\n' > "$d/jwc_temp.txt"
said=$(drive "$d" "$d/Ravo鋼矢板.exe" --press cancel)
if [ -f "$d/jwc_temp.txt" ] && [ ! -s "$d/jwc_temp.txt" ] && grep -q 'exit code: 0' <<<"$said"; then
    ok "the shipped exe, Cancel: the result is left empty ($(( $(date +%s) - t0 )) s)"
else
    bad "the shipped exe, Cancel: $said; result: $(head -c 200 "$d/jwc_temp.txt" 2>/dev/null)"
fi
exit $fail
