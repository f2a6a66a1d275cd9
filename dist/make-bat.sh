#!/usr/bin/env bash
# Writes one of the host's batch files: code page 932, CR LF, no BOM.
#   dist/make-bat.sh <output.bat> [two-point|select|points]
# ravo.bat.in is common to all; dist/bat-<variant>.txt gives the memo the
# host shows ("MEMO: "), the exe's argument ("ARGS: ") and the directives.
set -euo pipefail
dir="$(dirname "$0")"
variant_file="$dir/bat-${2:-two-point}.txt"
[ -f "$variant_file" ] || { echo "make-bat: no variant ${2:-}" >&2; exit 2; }
MEMO=$(sed -n 's/^MEMO: //p' "$variant_file") ARGS=$(sed -n 's/^ARGS:\(.*\)$/\1/p' "$variant_file") \
DIRECTIVES=$(grep '^REM ' "$variant_file") \
awk '$0 == "@@MEMO@@" { print "@REM " ENVIRON["MEMO"]; next }
     $0 == "@@DIRECTIVES@@" { print ENVIRON["DIRECTIVES"]; next }
     { i = index($0, "@@ARGS@@"); if (i) $0 = substr($0, 1, i - 1) ENVIRON["ARGS"] substr($0, i + 8); print }' \
    "$dir/ravo.bat.in" | sed 's/$/\r/' | iconv -f UTF-8 -t CP932 > "$1"
