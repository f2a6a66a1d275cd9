#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan + UBSan) and runs each for
# FUZZ_SECONDS (30 by default) from its committed seed corpus, on a scratch
# copy so the repository stays clean. Prints one line per target:
#   fuzz ok <target> <executions> execs, cov <edges>
# FUZZ_TARGETS picks targets, FUZZ_WORK the scratch folder. For the long run:
#   FUZZ_SECONDS=600 bash scripts/fuzz.sh
set -uo pipefail
source "$(dirname "$0")/common.sh"
seconds="${FUZZ_SECONDS:-30}"
cmake --preset fuzz -G Ninja >/dev/null && cmake --build "$BUILD/fuzz" >/dev/null || { echo "fuzz FAILED build"; exit 1; }
status=0
for target in ${FUZZ_TARGETS:-split classify reader outline number general view wall session}; do
    work="${FUZZ_WORK:-$BUILD/fuzz-work}/$target"
    rm -rf "$work"; mkdir -p "$work/corpus" "$work/artifacts"
    cp "$ROOT/fuzz/corpus/$target/"* "$work/corpus/"
    log="$work/log.txt"
    if "$BUILD/fuzz/fuzz/fuzz_$target" -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$work/artifacts/" -print_final_stats=1 "$work/corpus" > "$log" 2>&1; then
        execs=$(grep -m1 'stat::number_of_executed_units' "$log" | awk '{print $2}')
        cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | awk '{print $2}')
        echo "fuzz ok $target ${execs:-?} execs, cov ${cov:-?}"
    else
        echo "fuzz FAILED $target (see $log)"
        grep -m5 -E 'ERROR|SUMMARY|runtime error' "$log"
        status=1
    fi
done
exit $status
