#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (build-fuzz/, or $FUZZ_BUILD_DIR) and runs each one for
# the given number of seconds (default 60) on a scratch copy of its seed corpus
# (tests/fuzz/corpus/<name>/), so that a run never changes the repository. Prints per target the
# executions and findings, then one summary line; exits non-zero when any target found a fault.
# A finding's input is kept in build-fuzz/findings/<name>/ to be replayed: build-fuzz/tests/fuzz/fuzz_<name> <file>
#   FUZZ_TARGETS="a b"  only these targets (default: every tests/fuzz/*.cpp but the support)
#   FUZZ_JOBS=n         targets run side by side (default 1)
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build_dir=${FUZZ_BUILD_DIR:-build-fuzz}
jobs=${FUZZ_JOBS:-1}

bash scripts/setup.sh || exit 1
source scripts/build-lock.sh
CC=clang CXX=clang++ in_build_folder "$build_dir" cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DATUALIZA_FUZZ=ON \
  -DATUALIZA_TESTS=OFF -DATUALIZA_BENCH=OFF -DATUALIZA_FLTK=OFF >/dev/null || exit 1
in_build_folder "$build_dir" cmake --build "$build_dir" -j2 --target fuzz_targets || exit 1

targets=${FUZZ_TARGETS:-$(ls tests/fuzz/*.cpp | xargs -n1 basename | sed 's/\.cpp$//' | grep -vx fuzz_support)}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# One target: a scratch corpus, its temporary files in the scratch folder, findings kept aside.
run_target() {
  local name=$1 corpus="$scratch/$1" findings="$build_dir/findings/$1"
  mkdir -p "$corpus" "$scratch/tmp-$1" "$findings"
  cp tests/fuzz/corpus/"$name"/* "$corpus"/
  TMPDIR="$scratch/tmp-$1" "$build_dir/tests/fuzz/fuzz_$name" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$findings/" "$corpus" >"$scratch/$name.log" 2>&1
  echo $? >"$scratch/$name.status"
}

running=0
for name in $targets; do
  run_target "$name" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then wait -n; running=$((running - 1)); fi
done
wait

total_runs=0 total_findings=0 count=0
for name in $targets; do
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$scratch/$name.log" | tail -1)
  findings=$(grep -c 'ERROR: libFuzzer\|^SUMMARY: .*Sanitizer' "$scratch/$name.log")
  [ "$(cat "$scratch/$name.status")" -eq 0 ] || [ "$findings" -gt 0 ] || findings=1
  printf 'fuzz_%-12s %10s executions, %s findings\n' "$name" "${runs:-0}" "$findings"
  if [ "$findings" -gt 0 ]; then
    grep -A3 'broken property\|ERROR: \|^SUMMARY' "$scratch/$name.log" | head -20 | sed 's/^/    /'
  fi
  total_runs=$((total_runs + ${runs:-0}))
  total_findings=$((total_findings + findings))
  count=$((count + 1))
done
echo "fuzzing: $count targets, $total_runs executions, $total_findings findings (${seconds} s each)"
[ "$total_findings" -eq 0 ]
