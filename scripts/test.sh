#!/usr/bin/env bash
# Every test: native unit tests, short fuzz runs, the Win32 and end-to-end
# tests under Wine and Xvfb on the build this machine executes natively
# (win32 where the kernel runs 32-bit code, win64 under wine64 where it does
# not), the host tests, then the release package with the shipped 32-bit exe
# itself run. Ends with "N passed, N failed, N skipped"; a stage that dies
# counts as failed, and a skip never counts as passed.
set -uo pipefail
source "$(dirname "$0")/common.sh"

passed=0
failed=0
skipped=0
logs="$BUILD/test-logs"
mkdir -p "$logs"
summary() {
    echo "$passed passed, $failed failed, $skipped skipped"
    [ "$failed" = 0 ]
    exit $?
}
stage_failed() { echo "  FAILED: $*"; failed=$((failed + 1)); }

if ! bash "$ROOT/scripts/setup.sh"; then
    stage_failed "setup"
    summary
fi

# Adds a GoogleTest run's counts from its log (a GTEST_SKIP counts as
# skipped, never as passed); a run that did not reach its summary, or exited
# non-zero with nothing failed, counts as one failure.
count_gtest() {
    local log="$1" rc="$2" p f s
    p=$(grep -E '^\[  PASSED  \] [0-9]+ test' "$log" | awk '{s+=$4} END {print s+0}')
    f=$(grep -E '^\[  FAILED  \] [0-9]+ test' "$log" | awk '{s+=$4} END {print s+0}')
    s=$(grep -E '^\[  SKIPPED \] [0-9]+ test' "$log" | awk '{s+=$4} END {print s+0}')
    if [ "$rc" != 0 ] && [ "$f" = 0 ]; then f=1; fi
    passed=$((passed + p)); failed=$((failed + f)); skipped=$((skipped + s))
    echo "  $(basename "$log" .log): $p passed, $f failed, $s skipped$([ "$rc" != 0 ] && echo " (exit status $rc)")"
    grep -E '^\[  SKIPPED \] [A-Za-z][^ ]*$' "$log" | sed 's/^/    /'
}

# Adds the counts of a script that prints "<word> ok|FAILED|skipped ..."
# lines (sets m to its failures); a script that exited non-zero with nothing
# failed counts as one failure.
count_lines() {
    local word="$1" log="$2" rc="$3" n s
    n=$(grep -c "^$word ok" "$log"); m=$(grep -c "^$word FAILED" "$log"); s=$(grep -c "^$word skipped" "$log")
    if [ "$rc" != 0 ] && [ "$m" = 0 ]; then m=1; fi
    passed=$((passed + n)); failed=$((failed + m)); skipped=$((skipped + s))
    echo "  $(basename "$log" .log): $n passed, $m failed, $s skipped$([ "$rc" != 0 ] && echo " (exit status $rc)")"
}

echo "== native build and unit tests"
if build_native > "$logs/build-native.log" 2>&1; then
    rc=0; (cd "$ROOT" && "$BUILD/native/tests/unit/ravo_unit_tests") > "$logs/unit.log" 2>&1 || rc=$?
    count_gtest "$logs/unit.log" "$rc"
    grep -h -A8 ': Failure$' "$logs/unit.log" | head -60
else
    tail -20 "$logs/build-native.log"; stage_failed "native build"
fi

echo "== fuzz targets, a short run each"
if [ ! -f "$ROOT/scripts/fuzz.sh" ]; then
    stage_failed "scripts/fuzz.sh is missing"
else
    rc=0; FUZZ_SECONDS="${FUZZ_SECONDS:-30}" bash "$ROOT/scripts/fuzz.sh" > "$logs/fuzz.log" 2>&1 || rc=$?
    count_lines fuzz "$logs/fuzz.log" "$rc"
    [ "$m" = 0 ] || tail -30 "$logs/fuzz.log"
fi

choose_wine_build
if [ "$WINE_BUILD" = win64 ]; then runner=wine64; else runner=wine; fi
e2e_line="e2e: $WINE_BUILD build under $runner ($WINE_BUILD_WHY)"
echo "== $WINE_BUILD build, end-to-end tests under Wine"
echo "$e2e_line"
if build_windows "$WINE_BUILD" > "$logs/build-$WINE_BUILD.log" 2>&1; then
    trap stop_all EXIT
    if wine_env "$WINE_BUILD" && start_xvfb; then
        export RAVO_WINE_BUILD="$WINE_BUILD"
        export RAVO_EXE="$(winpath "$BUILD/$WINE_BUILD/src/app/Ravo鋼矢板.exe")" RAVO_DATA="$(winpath "$ROOT/data")" \
               RAVO_TESTDATA="$(winpath "$ROOT/tests/data")"
        rc=0; timeout 1200 "$WINE" "$BUILD/$WINE_BUILD/tests/e2e/ravo_e2e_tests.exe" > "$logs/e2e.log" 2>&1 || rc=$?
        count_gtest "$logs/e2e.log" "$rc"
        grep -E '^\[  FAILED  \]|: Failure$' -A4 "$logs/e2e.log" | head -60

        echo "== the batch file and the tool through the host simulator"
        rc=0; bash "$ROOT/tests/host/host_test.sh" > "$logs/host.log" 2>&1 || rc=$?
        count_lines host "$logs/host.log" "$rc"
        [ "$m" = 0 ] || grep -A8 '^host FAILED' "$logs/host.log" | head -40
        grep '^host skipped' "$logs/host.log" | sed 's/^/  /'
    else
        stage_failed "the $WINE_BUILD Wine environment or the display"
    fi
    stop_all
    trap - EXIT
else
    tail -20 "$logs/build-$WINE_BUILD.log"; stage_failed "$WINE_BUILD build"
fi

echo "== the release package, and the shipped 32-bit exe run"
rc=0; bash "$ROOT/scripts/package.sh" > "$logs/package.log" 2>&1 || rc=$?
count_lines check "$logs/package.log" "$rc"
grep -E '^(check (FAILED|skipped)|package: running)|^  ' "$logs/package.log" | sed 's/^/  /'

echo "$e2e_line"
summary
