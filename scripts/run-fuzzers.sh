#!/bin/bash
# Runs every libFuzzer target of a fuzz build for a number of seconds each.
# Usage: run-fuzzers.sh BUILD_DIR SECONDS [JOBS]
# JOBS targets run side by side (default 1); each still gets SECONDS of its own.
# Each target keeps its corpus in BUILD_DIR/fuzz-corpus/NAME (so later runs
# start where earlier ones stopped) and writes crash artefacts into
# BUILD_DIR/fuzz-findings/NAME. Exits 1 when any target found something.
set -u
build=${1:?build folder}
seconds=${2:-60}
jobs=${3:-1}
targets=("$build"/fuzz/fuzz_*)
if [ ! -x "${targets[0]}" ]; then
  echo "run-fuzzers: no fuzz targets in $build/fuzz" >&2
  exit 2
fi

# One target: its run, then a one-line summary in its log folder.
run_one() {
  local target=$1 name corpus findings log status runs artefacts
  name=$(basename "$target")
  corpus="$build/fuzz-corpus/$name"
  findings="$build/fuzz-findings/$name"
  log="$build/fuzz-logs/$name.log"
  mkdir -p "$corpus" "$findings" "$(dirname "$log")"
  echo "== $name: ${seconds}s"
  "$target" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$findings/" \
    "$corpus" >"$log" 2>&1
  status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  artefacts=$(find "$findings" -type f | wc -l)
  if [ $status -ne 0 ] || [ "$artefacts" -ne 0 ]; then
    echo "$name: ${runs:-?} executions, FINDING (exit $status, $artefacts artefact(s) in $findings, log $log)" >"$log.summary"
    grep -m1 -E "ERROR|runtime error|deadly signal" "$log" >&2
  else
    echo "$name: ${runs:-?} executions, no findings" >"$log.summary"
  fi
}

rm -f "$build"/fuzz-logs/*.summary
running=0
for target in "${targets[@]}"; do
  [ -x "$target" ] || continue
  run_one "$target" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then
    wait -n
    running=$((running - 1))
  fi
done
wait

echo
cat "$build"/fuzz-logs/*.summary
if grep -q FINDING "$build"/fuzz-logs/*.summary; then
  echo "fuzz: findings kept in $build/fuzz-findings" >&2
  exit 1
fi
