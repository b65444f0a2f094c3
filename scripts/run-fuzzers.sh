#!/bin/bash
# Runs every libFuzzer target of a fuzz build for a number of seconds each.
# Usage: run-fuzzers.sh BUILD_DIR SECONDS
# Each target keeps its corpus in BUILD_DIR/fuzz-corpus/NAME (so later runs
# start where earlier ones stopped) and writes crash artefacts into
# BUILD_DIR/fuzz-findings/NAME. Exits 1 when any target found something.
set -u
build=${1:?build folder}
seconds=${2:-60}
targets=("$build"/fuzz/fuzz_*)
if [ ! -x "${targets[0]}" ]; then
  echo "run-fuzzers: no fuzz targets in $build/fuzz" >&2
  exit 2
fi

summary=()
failed=0
for target in "${targets[@]}"; do
  [ -x "$target" ] || continue
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
    failed=1
    summary+=("$name: ${runs:-?} executions, FINDING (exit $status, $artefacts artefact(s) in $findings, log $log)")
    grep -m1 -E "ERROR|runtime error|deadly signal" "$log" >&2
  else
    summary+=("$name: ${runs:-?} executions, no findings")
  fi
done

echo
printf '%s\n' "${summary[@]}"
if [ $failed -ne 0 ]; then
  echo "fuzz: findings kept in $build/fuzz-findings" >&2
  exit 1
fi
