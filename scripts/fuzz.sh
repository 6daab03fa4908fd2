#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer) and runs each for SECONDS (default 10) over its corpus folder in
# tests/fuzz/corpus/; what a run adds to the corpus goes to build/fuzz/corpus/, not into the repository.
# A failing input is written to build/fuzz/findings/; copy it into the corpus as a regression case once fixed.
# FUZZ_PARALLEL=1 runs all targets at once (niced), for long runs; FUZZ_OUT puts logs, corpus and findings
# elsewhere (default build/fuzz).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}
jobs=${TAVRIO_JOBS:-2}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$jobs"

bin=build/fuzz/fuzz
out=${FUZZ_OUT:-build/fuzz}
mkdir -p "$out/findings" "$out/logs"
# The QR target decodes every symbol it makes; inputs a little over the capacity are enough.
max_len() { case "$1" in qr_text) echo 2400 ;; *) echo 4096 ;; esac; }

run() {
    local name=$1
    mkdir -p "$out/corpus/$name"
    "$bin/fuzz_$name" -max_total_time="$seconds" -max_len="$(max_len "$name")" -print_final_stats=1 \
        -timeout=60 -rss_limit_mb=2048 -artifact_prefix="$out/findings/$name-" \
        "$out/corpus/$name" "tests/fuzz/corpus/$name" >"$out/logs/$name.log" 2>&1
    local rc=$?
    echo "$name: $(grep -o 'stat::number_of_executed_units: [0-9]*' "$out/logs/$name.log" | grep -o '[0-9]*$') executions, exit $rc"
    return $rc
}

targets=$(ls tests/fuzz/corpus)
failed=0
if [ "${FUZZ_PARALLEL:-0}" = 1 ]; then
    pids=()
    for t in $targets; do (nice -n 19 bash -c "$(declare -f run max_len); bin=$bin out=$out seconds=$seconds run $t") & pids+=($!); done
    for p in "${pids[@]}"; do wait "$p" || failed=1; done
else
    for t in $targets; do run "$t" || failed=1; done
fi
[ "$failed" = 0 ] || { echo "fuzz: a target failed; see $out/logs and $out/findings" >&2; exit 1; }
echo "fuzz: all targets passed"
