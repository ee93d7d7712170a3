#!/usr/bin/env bash
# Whole-run benchmark: builds a release updater in its own folder, lays out a temporary server and
# terminal (a 256 MiB package and a 2,000-line catalogue of current modules), and prints, from
# one session, each figure as a ratio to a reference measured in the same rounds (medians), the
# peak memory of every run, and the engine benchmark (bench/copy_bench). Not part of the tests.
#   BENCH_RUNS        rounds per figure (default 5)
#   BENCH_MODULE_MIB  size of the copied package in MiB (default 256)
#   BENCH_LINES       lines of the catalogue (default 2000)
#   BENCH_BUILD_DIR   release build folder (default build-bench)
#   BENCH_SKIP_ENGINE set to skip bench/copy_bench
#   BENCH_COLD        set to read the package from the disk in every copy (evicted from the cache)
# The real program ends every process named like a suite module, so the measurements take the
# machine-wide lock /tmp/atualiza-modules.lock themselves (do not run this script under it).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
runs=${BENCH_RUNS:-5}
module_mib=${BENCH_MODULE_MIB:-256}
lines=${BENCH_LINES:-2000}
build_dir=${BENCH_BUILD_DIR:-build-bench}
lock_file=/tmp/atualiza-modules.lock
source bench/bench_lib.sh

# --- Tools and build ---------------------------------------------------------------------------
bash scripts/setup.sh
bench_install rsync:rsync /usr/bin/time:time strace:strace flock:util-linux
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DATUALIZA_TESTS=OFF >/dev/null
cmake --build "$build_dir" -j2 --target AtualizaTerminalQOR7 copy_bench >/dev/null
updater="$root/$build_dir/src/AtualizaTerminalQOR7"

# --- The installation --------------------------------------------------------------------------
work=$(mktemp -d "${TMPDIR:-/tmp}/atualiza-bench.XXXXXX")
xvfb_pid=
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
server="$work/servidor/QOR7"
terminal="$work/terminal/QOR7"
mirror="$work/espelho"
mkdir -p "$server/TABDEF" "$terminal" "$work/times" "$work/rss" "$work/out"
big=pkModulos.bpl  # a package no clean-up mask matches: the sweep finds it, no report box waits
head -c $((module_mib << 20)) /dev/urandom > "$server/$big"
{
  for ((i = 1; i <= lines; i++)); do
    printf -v name 'MOD%05d.EXE' "$i"
    printf 'MZ modulo %d\n' "$i" > "$server/$name"
    printf '%-26s%s\r\n' "$name" "Módulo de teste número $i"
  done
} > "$server/TABDEF/MODULOS.DAT"
touch -d '2024-03-01 10:00:00' "$server"/MOD*.EXE "$server/$big"
cp -p "$server"/MOD*.EXE "$server/$big" "$terminal/"
cp "$updater" "$terminal/AtualizaTerminalQOR7"
printf '#!/bin/sh\nexit 0\n' > "$terminal/QOR7.exe"  # the main module every run starts at its end
chmod +x "$terminal/QOR7.exe"
printf '[QOR]\r\nServidor=servidor\r\nDiretorio_Servidor=%s/\r\nCaminho_Base_Dados=C:\\QOR7\\\r\n' "$server" \
  > "$terminal/qor.ini"
rsync -rt "$server/" "$mirror/"
sync

# --- Measuring (measure, median, peak_mib, calc: bench_lib.sh) ----------------------------------
# One run of the updater in the terminal, headless or with windows on the Xvfb display.
measure_updater() {
  local -x ATUALIZA_UI=headless DISPLAY=
  [ "$2" = gui ] && ATUALIZA_UI=gui DISPLAY=$display
  run_in=$terminal measure "$1" ./AtualizaTerminalQOR7
  wait_main_module_gone
}

# Before a copying run: the package is missing on the terminal. Before a reference: its target is gone.
# Both with every earlier write on the disk and a moment for the disk to take the freed blocks
# back (a virtual disk discards them), so that no copy pays for another's.
fresh_terminal() {
  rm -f "$terminal/$big"
  sync
  sleep 0.5
  [ -z "${BENCH_COLD:-}" ] || dd if="$server/$big" iflag=nocache count=0 status=none
}
fresh_references() {
  rm -f "$work/cp.bin" "$work/rsync.bin"
  sync
  sleep 0.5
  [ -z "${BENCH_COLD:-}" ] || dd if="$server/$big" iflag=nocache count=0 status=none
}
check_copied() {
  [ "$(stat -c %s.%Y "$terminal/$big")" = "$(stat -c %s.%Y "$server/$big")" ] ||
    { echo "run_bench: the run did not copy $big" >&2; exit 1; }
}

display=
if [ -n "$(command -v Xvfb)" ]; then
  for n in $(seq 70 99); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || { display=":$n"; break; }
  done
  if [ -n "$display" ]; then
    Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    sleep 1
  fi
fi

exec 9> "$lock_file"
echo "run_bench: waiting for $lock_file" >&2
flock 9
for ((round = 1; round <= runs; round++)); do
  echo "run_bench: round $round of $runs" >&2
  sync  # the last round's writes are not this one's
  current=$(stat -c %i "$terminal/$big")
  measure_updater nothing headless
  measure dryrun rsync -rt --dry-run "$server/" "$mirror/"
  [ -n "$xvfb_pid" ] && measure_updater window_nothing gui
  [ "$(stat -c %i "$terminal/$big")" = "$current" ] || { echo "run_bench: a run copied what was current" >&2; exit 1; }
  fresh_terminal
  measure_updater copy headless
  check_copied
  if [ -n "$xvfb_pid" ]; then
    fresh_terminal
    measure_updater window_copy gui
    check_copied
  fi
  fresh_references
  measure cp_sync sh -c 'cp "$1" "$2" && sync "$2"' cp "$server/$big" "$work/cp.bin"
  fresh_references
  measure rsync rsync -t "$server/$big" "$work/rsync.bin"
done
status_lines=$(wc -l < "$work/out/copy.err")
# File-system calls of a run that copies nothing, per catalogue line.
(cd "$terminal" && ATUALIZA_UI=headless DISPLAY= strace -f -c -o "$work/strace.txt" \
  ./AtualizaTerminalQOR7 > /dev/null 2>&1) || true
flock -u 9

# --- Report ------------------------------------------------------------------------------------
calls() { awk -v names="$1" '$4 ~ /^[0-9]+$/ && $NF ~ names && $NF != "total" { n += $4 } END { print n + 0 }' "$work/strace.txt"; }
metadata_calls=$(calls '^(stat|lstat|fstat|newfstatat|statx|access|faccessat2?|open|openat|getdents64|readlink)$')
all_calls=$(calls '^[a-z_0-9]+$')
copy=$(calc "$(median copy) - $(median nothing)" 3)
nothing=$(calc "$(median nothing) - 0.5" 3)
echo
echo "== Whole runs (headless unless said; medians of $runs rounds; $module_mib MiB package${BENCH_COLD:+ read from the disk}, $lines-line catalogue)"
printf '  run that copies nothing:                 %.3f s\n' "$(median nothing)"
printf '  run that copies the package:             %.3f s\n' "$(median copy)"
printf '  the copy (the difference):               %.3f s\n' "$copy"
printf '  cp + sync FILE:                          %.3f s   ratio cp+sync/copy  %s  (goal >= 0.90)\n' \
  "$(median cp_sync)" "$(calc "$(median cp_sync) / $copy")"
printf '  rsync -t:                                %.3f s   ratio rsync/copy    %s  (goal >= 1.00)\n' \
  "$(median rsync)" "$(calc "$(median rsync) / $copy")"
if [ -n "$xvfb_pid" ]; then
  window_copy=$(calc "$(median window_copy) - $(median window_nothing)" 3)
  printf '  with the FLTK window (Xvfb): run %.3f s, copy %.3f s\n' "$(median window_copy)" "$window_copy"
  printf '    ratio window/headless: copy %s  (goal <= 1.05), whole run %s\n' \
    "$(calc "$window_copy / $copy")" "$(calc "$(median window_copy) / $(median copy)")"
else
  echo "  with the FLTK window: not measured (no Xvfb)"
fi
printf '  run that copies nothing less the 500 ms timer: %.3f s; rsync -rt --dry-run %.3f s; ratio %s  (goal <= 1.00)\n' \
  "$nothing" "$(median dryrun)" "$(calc "$nothing / $(median dryrun)")"
printf '  that run per catalogue line: %s metadata calls (stat, open, getdents), %s system calls in all\n' \
  "$(calc "$metadata_calls / $lines")" "$(calc "$all_calls / $lines")"
echo "  lines on standard error, headless copying run: $status_lines"
printf '  peak memory (max RSS, MiB; goal <= 16): copy %s, nothing %s' "$(peak_mib copy)" "$(peak_mib nothing)"
[ -n "$xvfb_pid" ] && printf ', window copy %s, window nothing %s' "$(peak_mib window_copy)" "$(peak_mib window_nothing)"
printf '; references: cp %s, rsync %s\n' "$(peak_mib cp_sync)" "$(peak_mib rsync)"

if [ -z "${BENCH_SKIP_ENGINE:-}" ]; then
  echo
  echo "== Engine alone (bench/copy_bench)"
  "$build_dir/bench/copy_bench" --benchmark_repetitions="$runs" --benchmark_enable_random_interleaving=true 2>&1 | sed -n '/^Engine/,$p'
fi
