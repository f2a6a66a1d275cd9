#!/usr/bin/env bash
# Runs the end-to-end tests under Wine and Xvfb on the build this machine
# executes natively (see choose_wine_build), optionally only those that
# match a GoogleTest filter:  bash scripts/e2e.sh 'Faults.*'
set -euo pipefail
source "$(dirname "$0")/common.sh"
bash "$ROOT/scripts/setup.sh"
choose_wine_build
echo "e2e: $WINE_BUILD build ($WINE_BUILD_WHY)"
build_windows "$WINE_BUILD" >/dev/null
trap stop_all EXIT
wine_env "$WINE_BUILD"
start_xvfb
export RAVO_WINE_BUILD="$WINE_BUILD"
export RAVO_EXE="$(winpath "$BUILD/$WINE_BUILD/src/app/Ravo鋼矢板.exe")" RAVO_DATA="$(winpath "$ROOT/data")" \
       RAVO_TESTDATA="$(winpath "$ROOT/tests/data")"
wine "$BUILD/$WINE_BUILD/tests/e2e/ravo_e2e_tests.exe" --gtest_filter="${1:-*}"
