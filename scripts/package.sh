#!/usr/bin/env bash
# The release: builds the exe and assembles out/Ravo鋼矢板/ (exe, batch file
# in code page 932, data\, はじめにお読みください.txt) and out/Ravo鋼矢板.zip.
# Checks that the exe is 32-bit, needs no DLL outside Windows, and starts
# on a clean Wine prefix.
set -euo pipefail
source "$(dirname "$0")/common.sh"
bash "$ROOT/scripts/setup.sh"
build_win32 >/dev/null

out="$ROOT/out"
pkg="$out/Ravo鋼矢板"
assemble_package "$pkg"
sed 's/$/\r/' "$ROOT/dist/readme-ja.txt.in" | iconv -f UTF-8 -t CP932 > "$pkg/はじめにお読みください.txt"
rm -f "$out/Ravo鋼矢板.zip"
(cd "$out" && zip -qr -X "Ravo鋼矢板.zip" "Ravo鋼矢板")
echo "package: $pkg"
echo "package: $out/Ravo鋼矢板.zip ($(stat -c %s "$out/Ravo鋼矢板.zip") bytes)"

exe="$pkg/Ravo鋼矢板.exe"
fail=0
if i686-w64-mingw32-objdump -f "$exe" | grep -q 'file format pei-i386'; then
    echo "check ok: 32-bit (PE32, i386)"
else
    echo "check FAILED: not a 32-bit exe"; fail=1
fi
system_dlls='^(kernel32|user32|gdi32|comctl32|shell32|msvcrt|advapi32|comdlg32|ole32)\.dll$'
dlls=$(i686-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ {print tolower($3)}')
extra=$(echo "$dlls" | grep -v -E "$system_dlls" || true)
if [ -z "$extra" ]; then
    echo "check ok: imports only Windows DLLs ($(echo $dlls | tr ' ' ','))"
else
    echo "check FAILED: needs $extra"; fail=1
fi
# A brand-new prefix: nothing of ours installed, only the package folder.
trap stop_all EXIT
clean="$(mktemp -d /tmp/ravo-clean-prefix-XXXXXX)"
export WINEPREFIX="$clean/prefix" WINEARCH=win32 WINEDEBUG=-all LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
wineboot -i >/dev/null 2>&1 || true
wineserver -w
[ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1 || start_xvfb
said=$(wine "$BUILD/win32/tools/driver/ravo-driver.exe" run "$(winpath "$exe")" "$(winpath "$pkg")" --press none 2>&1 || true)
if grep -q 'JWWの外部変形から' <<<"$said"; then
    echo "check ok: starts on a clean Wine prefix (shows the start-from-host message without temp.txt)"
else
    echo "check FAILED: did not start on a clean prefix: $said"; fail=1
fi
wineserver -k >/dev/null 2>&1 || true
rm -rf "$clean"
exit $fail
