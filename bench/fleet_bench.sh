#!/usr/bin/env bash
# The fleet's table over a shop of records: generates BENCH_RECORDS state records (default 1,000)
# in FOLDER, then times `AtualizaTerminalQOR7 --terminais FOLDER` (medians of BENCH_RUNS, default
# 5) against the 5 s goal, and against `cat` of every record as a reference read through the same
# folder. FOLDER may be a real share or a simulated one; its records are left there.
# Usage: bash bench/fleet_bench.sh FOLDER
#   BENCH_BUILD_DIR   release build folder (default build-bench)
# Runs the program under the machine-wide lock /tmp/atualiza-modules.lock (do not wrap it).
set -euo pipefail
folder=${1:?uso: bash bench/fleet_bench.sh PASTA}
cd "$(dirname "$0")/.."
records=${BENCH_RECORDS:-1000}
runs=${BENCH_RUNS:-5}
build_dir=${BENCH_BUILD_DIR:-build-bench}
lock_file=/tmp/atualiza-modules.lock

bash scripts/setup.sh
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DATUALIZA_TESTS=OFF >/dev/null
cmake --build "$build_dir" -j2 --target AtualizaTerminalQOR7 fleet_records >/dev/null
updater="$PWD/$build_dir/src/AtualizaTerminalQOR7"

mkdir -p "$folder"
"$build_dir/bench/fleet_records" "$folder" "$records"

# Seconds one command takes, to the millisecond.
seconds_of() {
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1 || true
  end=$(date +%s%N)
  awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f", (e - s) / 1e9 }'
}
median() { sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }

# The lock for the whole measurement: the program ends no module here, but others' runs would
# share the machine with it.
exec 9>"$lock_file"
flock 9
program_times=() reference_times=()
for ((round = 1; round <= runs; round++)); do
  program_times+=("$(seconds_of "$updater" --terminais "$folder")")
  reference_times+=("$(seconds_of sh -c "cat '$folder'/*.txt")")
done
status=0
"$updater" --terminais "$folder" >/dev/null || status=$?
flock -u 9
program=$(printf '%s\n' "${program_times[@]}" | median)
reference=$(printf '%s\n' "${reference_times[@]}" | median)
printf 'fleet: %d records in %s, --terminais %s s (median of %d; exit status %d)\n' "$records" "$folder" "$program" "$runs" "$status"
awk -v p="$program" -v r="$reference" 'BEGIN {
  printf "fleet: goal 5 s -> %.3f of the goal; cat of every record %.3f s -> ratio %.2f\n", p / 5, r, p / (r > 0 ? r : 0.001)
}'
