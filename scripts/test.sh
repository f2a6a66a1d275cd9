#!/usr/bin/env bash
# Every test: native unit tests, short fuzz runs, then the Win32 and
# end-to-end tests under Wine and Xvfb. Ends with "N passed, N failed".
set -uo pipefail
source "$(dirname "$0")/common.sh"
bash "$ROOT/scripts/setup.sh" || exit 1

passed=0
failed=0
logs="$BUILD/test-logs"
mkdir -p "$logs"

# Adds a GoogleTest run's counts from its log.
count_gtest() {
    local log="$1" p f
    p=$(grep -E '^\[  PASSED  \] [0-9]+ test' "$log" | awk '{s+=$4} END {print s+0}')
    f=$(grep -E '^\[  FAILED  \] [0-9]+ test' "$log" | awk '{s+=$4} END {print s+0}')
    if [ "$p" = 0 ] && [ "$f" = 0 ]; then f=1; fi   # a run that did not finish
    passed=$((passed + p)); failed=$((failed + f))
    echo "  $(basename "$log" .log): $p passed, $f failed"
}

echo "== native build and unit tests"
if build_native > "$logs/build-native.log" 2>&1; then
    (cd "$ROOT" && "$BUILD/native/tests/unit/ravo_unit_tests") > "$logs/unit.log" 2>&1
    count_gtest "$logs/unit.log"
else
    tail -20 "$logs/build-native.log"; failed=$((failed + 1))
fi

if [ -x "$ROOT/scripts/fuzz.sh" ]; then
    echo "== fuzz targets, a short run each"
    if FUZZ_SECONDS="${FUZZ_SECONDS:-30}" bash "$ROOT/scripts/fuzz.sh" > "$logs/fuzz.log" 2>&1; then
        n=$(grep -c '^fuzz ok' "$logs/fuzz.log"); passed=$((passed + n)); echo "  fuzz: $n passed, 0 failed"
    else
        n=$(grep -c '^fuzz ok' "$logs/fuzz.log"); m=$(grep -c '^fuzz FAILED' "$logs/fuzz.log")
        [ "$m" = 0 ] && m=1
        passed=$((passed + n)); failed=$((failed + m)); echo "  fuzz: $n passed, $m failed"; tail -30 "$logs/fuzz.log"
    fi
fi

echo "== win32 build, end-to-end tests under Wine"
if build_win32 > "$logs/build-win32.log" 2>&1; then
    trap stop_all EXIT
    wine_env
    start_xvfb
    export RAVO_EXE="$(winpath "$BUILD/win32/src/app/Ravo鋼矢板.exe")" RAVO_DATA="$(winpath "$ROOT/data")" RAVO_TESTDATA="$(winpath "$ROOT/tests/data")"
    timeout 1200 wine "$BUILD/win32/tests/e2e/ravo_e2e_tests.exe" > "$logs/e2e.log" 2>&1
    count_gtest "$logs/e2e.log"
    grep -E '^\[  FAILED  \]|: Failure$' -A4 "$logs/e2e.log" | head -60
    echo "== the batch file and the tool through the host simulator"
    bash "$ROOT/tests/host/host_test.sh" > "$logs/host.log" 2>&1
    n=$(grep -c '^host ok' "$logs/host.log"); m=$(grep -c '^host FAILED' "$logs/host.log")
    passed=$((passed + n)); failed=$((failed + m)); echo "  host: $n passed, $m failed"
    [ "$m" = 0 ] || grep -A8 '^host FAILED' "$logs/host.log" | head -40
else
    tail -20 "$logs/build-win32.log"; failed=$((failed + 1))
fi
grep -h -A8 ': Failure$' "$logs/unit.log" 2>/dev/null | head -60

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
