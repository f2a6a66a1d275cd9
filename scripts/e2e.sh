#!/usr/bin/env bash
# Runs the end-to-end tests under Wine and Xvfb, optionally only those that
# match a GoogleTest filter:  bash scripts/e2e.sh 'Faults.*'
set -euo pipefail
source "$(dirname "$0")/common.sh"
bash "$ROOT/scripts/setup.sh"
build_win32 >/dev/null
trap stop_all EXIT
wine_env
start_xvfb
export RAVO_EXE="$(winpath "$BUILD/win32/src/app/Ravo鋼矢板.exe")" RAVO_DATA="$(winpath "$ROOT/data")" \
       RAVO_TESTDATA="$(winpath "$ROOT/tests/data")"
wine "$BUILD/win32/tests/e2e/ravo_e2e_tests.exe" --gtest_filter="${1:-*}"
