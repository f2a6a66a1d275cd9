#!/usr/bin/env bash
# Writes the host's batch file: code page 932, CR LF, no BOM.
#   dist/make-bat.sh <output.bat>
set -euo pipefail
src="$(dirname "$0")/ravo.bat.in"
sed 's/$/\r/' "$src" | iconv -f UTF-8 -t CP932 > "$1"
