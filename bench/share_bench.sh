#!/usr/bin/env bash
# Whole runs against a server folder served through the simulated share (share_sim: a FUSE
# pass-through that adds a delay to every request, caps the read bandwidth and keeps attributes
# for a second as the Linux SMB client does). Prints, with the machine's load, one figure per goal
# as a ratio to a reference measured in the same rounds (medians), with the share's own counters:
#   1. an unchanged server whose 40 packages of 2 MiB a clean-up mask matches, against the same
#      packages under names no mask matches: time ratio, bytes read from the share;
#   2. a run that copies nothing over a 2,000-line catalogue, share against local folder: time
#      ratio, requests to the share per line;
#   3. 10k, 50k and 100k lines (one in five naming a file the server lacks) on a local folder:
#      seconds less the 500 ms timer, peak memory, seconds per 10k lines;
#   4. a 256 MiB copy through the share capped at 1 Gbit/s against cp + sync of the same file;
#   5. 100 terminals started at once against one share: exit statuses, files compared byte for
#      byte, the total time against the transfer floor (terminals x bytes / bandwidth).
# Not part of the tests. Environment:
#   BENCH_RUNS        rounds per figure (default 5; the 100k-line runs and the fleet take fewer)
#   BENCH_DELAY_MS    delay per request (default 0.5)
#   BENCH_READAHEAD_KB the share client's read-ahead (default 8192, as the Linux SMB client's; 0:
#                     FUSE's own, 128 KiB)
#   BENCH_TERMINALS   terminals started at once (default 100)
#   BENCH_CATALOGUE_LIMIT seconds a large catalogue's run may take before the larger ones are
#                     left out (default 60: a cost that grows faster than the lines)
#   BENCH_ONLY        a comma-separated subset of: masks,lines,catalogue,copy,fleet
#   BENCH_OTHER_UPDATER the absolute path of another build of the updater (an earlier commit's,
#                     say) whose copy is measured in the same rounds as this one's
#   BENCH_BUILD_DIR   release build folder (default build-bench)
# Linux only, and root or a user allowed to mount FUSE file systems. The real program ends every
# process named like a suite module, so the measurements take the machine-wide lock
# /tmp/atualiza-modules.lock themselves (do not run this script under it).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
runs=${BENCH_RUNS:-5}
delay_ms=${BENCH_DELAY_MS:-0.5}
readahead_kb=${BENCH_READAHEAD_KB:-8192}
terminals=${BENCH_TERMINALS:-100}
catalogue_limit=${BENCH_CATALOGUE_LIMIT:-60}
only=${BENCH_ONLY:-masks,lines,catalogue,copy,fleet}
build_dir=${BENCH_BUILD_DIR:-build-bench}
lock_file=/tmp/atualiza-modules.lock
source bench/bench_lib.sh
wire_mbit=940   # a gigabit link's payload
copy_mbit=1000  # the copy goal's cap

wanted() { [[ ",$only," == *",$1,"* ]]; }

# --- Tools and build ---------------------------------------------------------------------------
bash scripts/setup.sh
bench_install /usr/bin/time:time flock:util-linux
[ -e /dev/fuse ] || { echo "share_bench: /dev/fuse is missing: no share can be simulated here" >&2; exit 1; }
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DATUALIZA_TESTS=OFF >/dev/null
cmake --build "$build_dir" -j2 --target AtualizaTerminalQOR7 share_sim >/dev/null
updater="$root/$build_dir/src/AtualizaTerminalQOR7"
share_sim="$root/$build_dir/tests/support/share/share_sim"

# --- The share -----------------------------------------------------------------------------------
work=$(mktemp -d "${TMPDIR:-/tmp}/atualiza-share-bench.XXXXXX")
share_pid=
cleanup() {
  unmount_share
  rm -rf "$work"
}
trap cleanup EXIT

# Serves $1 at $work/share with the read cap $2 (Mbit/s) and share_sim's options that follow. The
# server ends by itself when this script is gone (it watches a pipe that only this shell holds
# open) or after an hour.
mount_share() {
  mkdir -p "$work/share"
  rm -f "$work/watch"
  mkfifo "$work/watch"
  "$share_sim" mount "$1" "$work/share" --delay-ms "$delay_ms" --mbit "$2" --readahead-kb "$readahead_kb" \
    --control "$work/control" --watch-fd 0 --lifetime 3600 "${@:3}" < "$work/watch" > "$work/share.log" 2>&1 &
  share_pid=$!
  exec 8> "$work/watch"
  for _ in $(seq 200); do
    "$share_sim" ctl "$work/control" ping >/dev/null 2>&1 && return
    kill -0 "$share_pid" 2>/dev/null || break
    sleep 0.05
  done
  echo "share_bench: the share could not be mounted:" >&2
  cat "$work/share.log" >&2
  exit 1
}
unmount_share() {
  [ -n "$share_pid" ] || return 0
  "$share_sim" ctl "$work/control" quit >/dev/null 2>&1 || true
  exec 8>&-
  wait "$share_pid" 2>/dev/null || true
  share_pid=
}
counter() { "$share_sim" ctl "$work/control" counters | awk -v k="$1" '$1 == k { print $2 }'; }
reset_counters() { "$share_sim" ctl "$work/control" reset >/dev/null; }
# The client keeps what it learnt for a second: each measured run meets the share as a terminal
# does in the morning, with nothing kept.
forget_share() { sleep 1.1; }

# --- Installations -------------------------------------------------------------------------------
# A terminal program folder ($1) whose qor.ini names the server program folder $2.
make_terminal() {
  mkdir -p "$1"
  cp "$updater" "$1/AtualizaTerminalQOR7"
  printf '#!/bin/sh\nexit 0\n' > "$1/QOR7.exe"  # the main module every run starts at its end
  chmod +x "$1/QOR7.exe"
  printf '[QOR]\r\nServidor=servidor\r\nDiretorio_Servidor=%s/\r\nCaminho_Base_Dados=C:\\QOR7\\\r\n' "$2" \
    > "$1/qor.ini"
}
# A catalogue of $2 module lines (MODnnnnnn.EXE) in server folder $1; with $3 = lacking, every
# fifth line names a file the server lacks. Writes the server's files too (empty, one date).
make_catalogue() {
  local server=$1 lines=$2 lacking=${3:-}
  mkdir -p "$server/TABDEF"
  awk -v n="$lines" -v lacking="$lacking" -v folder="$server" 'BEGIN {
    for (i = 1; i <= n; i++) {
      name = sprintf("MOD%06d.EXE", i)
      printf "%-26sMódulo de teste número %d\r\n", name, i > (folder "/TABDEF/MODULOS.DAT")
      if (!(lacking != "" && i % 5 == 0)) print name > (folder "/names")
    }
  }'
  (cd "$server" && xargs -a names touch -d '2024-03-01 10:00:00' && rm names)
}
# Package files: $3 files of $4 MiB named after the printf form $2 (one %d) in folder $1, one date.
make_packages() {
  for ((i = 1; i <= $3; i++)); do
    printf -v name "$2" "$i"
    head -c $(($4 << 20)) /dev/urandom > "$1/$name"
    touch -d '2024-03-01 10:00:00' "$1/$name"
  done
}
# The module files of server folder $1, as they are, into terminal folder $2.
copy_modules() { (cd "$1" && find . -maxdepth 1 -name 'MOD*' -print0 | xargs -0 cp -p -t "$2/"); }

# --- Measuring (measure, median, peak_mib, calc: bench_lib.sh) ------------------------------------
mkdir -p "$work/times" "$work/rss" "$work/out"
# One headless run of the updater in terminal folder $2.
measure_updater() {
  local -x ATUALIZA_UI=headless DISPLAY=
  run_in=$2 measure "$1" ./AtualizaTerminalQOR7
  wait_main_module_gone
}
note() { echo "$2" >> "$work/times/$1"; }
load() { cut -d' ' -f1-3 /proc/loadavg; }

echo "share_bench: waiting for $lock_file" >&2
exec 9> "$lock_file"
flock 9
load_before=$(load)
report=()
say() { report+=("$1"); }

# --- 1. Packages that a clean-up mask matches ---------------------------------------------------
if wanted masks; then
  echo "share_bench: packages under the clean-up masks" >&2
  for kind in masked plain; do
    mkdir -p "$work/masks/$kind/QOR7"
    make_catalogue "$work/masks/$kind/QOR7" 1
    form='pkMasc%02d7.bpl'
    [ $kind = plain ] && form='pkMasc%02dQ.bpl'
    make_packages "$work/masks/$kind/QOR7" "$form" 40 2
    make_terminal "$work/masks/term-$kind" "$work/share/$kind/QOR7"
    copy_modules "$work/masks/$kind/QOR7" "$work/masks/term-$kind"
    cp -p "$work/masks/$kind/QOR7"/pk* "$work/masks/term-$kind/"
  done
  mount_share "$work/masks" "$wire_mbit"
  for ((round = 1; round <= runs; round++)); do
    for kind in masked plain; do
      forget_share
      reset_counters
      measure_updater "masks_$kind" "$work/masks/term-$kind"
      note "masks_${kind}_bytes" "$(counter read_bytes)"
    done
  done
  unmount_share
  masked=$(median masks_masked) plain=$(median masks_plain)
  say "== 1. Unchanged server, 40 packages of 2 MiB (medians of $runs)"
  say "$(printf '  names a clean-up mask matches (*7.bpl): %.3f s, %s MiB read from the share' "$masked" \
    "$(calc "$(median masks_masked_bytes) / 1048576")")"
  say "$(printf '  names no mask matches:                   %.3f s, %s MiB read from the share' "$plain" \
    "$(calc "$(median masks_plain_bytes) / 1048576")")"
  say "  ratio masked/plain $(calc "$masked / $plain")  (goal <= 1.30, and no file byte read)"
fi

# --- 2. A run that copies nothing: share against local folder -----------------------------------
if wanted lines; then
  echo "share_bench: 2,000 current lines" >&2
  lines=2000
  make_catalogue "$work/lines/QOR7" "$lines"
  make_terminal "$work/lines/term-share" "$work/share/QOR7"
  make_terminal "$work/lines/term-local" "$work/lines/QOR7"
  copy_modules "$work/lines/QOR7" "$work/lines/term-share"
  copy_modules "$work/lines/QOR7" "$work/lines/term-local"
  mount_share "$work/lines" "$wire_mbit"
  for ((round = 1; round <= runs; round++)); do
    forget_share
    reset_counters
    measure_updater lines_share "$work/lines/term-share"
    note lines_requests "$(counter requests)"
    measure_updater lines_local "$work/lines/term-local"
  done
  unmount_share
  on_share=$(median lines_share) local=$(median lines_local)
  say "== 2. A run that copies nothing, $lines lines (medians of $runs)"
  say "$(printf '  through the share: %.3f s; on a local folder: %.3f s; ratio %s  (goal <= 1.20)' "$on_share" \
    "$local" "$(calc "$on_share / $local")")"
  say "  requests to the share per line: $(calc "$(median lines_requests) / $lines" 3)  (goal <= 0.05)"
fi

# --- 3. Large catalogues with names the server lacks, on a local folder --------------------------
if wanted catalogue; then
  echo "share_bench: large catalogues" >&2
  catalogue_runs=$(((runs + 1) / 2))
  make_catalogue "$work/big/QOR7" 100000 lacking
  make_terminal "$work/big/term" "$work/big/QOR7"
  copy_modules "$work/big/QOR7" "$work/big/term"
  mv "$work/big/QOR7/TABDEF/MODULOS.DAT" "$work/big/all.dat"
  say "== 3. Catalogues on a local folder, one line in five naming a file the server lacks (medians)"
  too_long=
  for n in 10000 50000 100000; do
    if [ -n "$too_long" ]; then
      say "$(printf '  %6d lines: not measured (%s)' "$n" "$too_long")"
      continue
    fi
    head -n "$n" "$work/big/all.dat" > "$work/big/QOR7/TABDEF/MODULOS.DAT"
    for ((round = 1; round <= catalogue_runs; round++)); do
      measure_updater "big_$n" "$work/big/term"
      last=$(tail -1 "$work/times/big_$n")
      if awk -v t="$last" -v limit="$catalogue_limit" 'BEGIN { exit !(t > limit) }'; then
        too_long="$n lines took $(calc "$last" 1) s, over the $catalogue_limit s that a size may take here"
        break
      fi
    done
    seconds=$(calc "$(median "big_$n") - 0.5" 3)
    say "$(printf '  %6d lines: %7.3f s less the timer, %6.3f s per 10k lines, peak memory %s MiB (%d runs)' "$n" \
      "$seconds" "$(calc "$seconds * 10000 / $n" 3)" "$(peak_mib "big_$n")" "$(wc -l < "$work/times/big_$n")")"
  done
  # Every size walks the same two folders of 80,000 files, listed once each: what grows with the
  # lines is the cost above the 10k run's.
  if [ -z "$too_long" ]; then
    base=$(median big_10000)
    say "$(printf '  each further 10k lines: %.3f s up to 50k, %.3f s up to 100k (the folders listed once: a fixed cost)' \
      "$(calc "($(median big_50000) - $base) / 4" 3)" "$(calc "($(median big_100000) - $base) / 9" 3)")"
  fi
  say "  (goal at 100k: <= 3 s with the timer, <= 32 MiB; linear: the same seconds per further 10k lines)"
fi

# --- 4. A large copy through the share against cp + sync ----------------------------------------
if wanted copy; then
  echo "share_bench: a 256 MiB copy" >&2
  big=pkModulos1Q.bpl  # a package no clean-up mask matches: the sweep finds it, no report box waits
  make_catalogue "$work/copy/QOR7" 10
  make_packages "$work/copy/QOR7" 'pkModulos%dQ.bpl' 1 256
  make_terminal "$work/copy/term" "$work/share/QOR7"
  cp -p "$work/copy/QOR7"/MOD* "$work/copy/QOR7/$big" "$work/copy/term/"
  if [ -n "${BENCH_OTHER_UPDATER:-}" ]; then  # the updater's folder is its program folder: one of its own
    cp -a "$work/copy/term" "$work/copy/other"
    cp "$BENCH_OTHER_UPDATER" "$work/copy/other/AtualizaTerminalQOR7"
  fi
  mount_share "$work/copy" "$copy_mbit"
  for ((round = 1; round <= runs; round++)); do
    forget_share
    measure_updater copy_nothing "$work/copy/term"
    rm -f "$work/copy/term/$big" "$work/cp.bin"
    sync
    sleep 0.5  # for a virtual disk to take the freed blocks back before the next copy
    forget_share
    reset_counters
    measure_updater copy "$work/copy/term"
    note copy_bytes "$(counter read_bytes)"
    cmp -s "$work/copy/QOR7/$big" "$work/copy/term/$big" || { echo "share_bench: the copy differs" >&2; exit 1; }
    if [ -n "${BENCH_OTHER_UPDATER:-}" ]; then
      forget_share
      measure_updater copy_other_nothing "$work/copy/other"
      rm -f "$work/copy/other/$big"
      sync
      sleep 0.5
      forget_share
      measure_updater copy_other "$work/copy/other"
      cmp -s "$work/copy/QOR7/$big" "$work/copy/other/$big" || { echo "share_bench: the other copy differs" >&2; exit 1; }
    fi
    sync
    sleep 0.5
    forget_share
    measure cp_sync sh -c 'cp "$1" "$2" && sync "$2"' cp "$work/share/QOR7/$big" "$work/cp.bin"
  done
  unmount_share
  copy=$(calc "$(median copy) - $(median copy_nothing)" 3)
  floor=$(calc "268435456 * 8 / ($copy_mbit * 1000000)" 3)
  say "== 4. A 256 MiB copy through the share capped at $copy_mbit Mbit/s (medians of $runs)"
  say "$(printf '  run that copies it %.3f s, run that copies nothing %.3f s: the copy %.3f s (wire floor %.3f s)' \
    "$(median copy)" "$(median copy_nothing)" "$copy" "$floor")"
  say "$(printf '  cp + sync: %.3f s; ratio cp+sync/copy %s  (goal >= 0.90); %s MiB read from the share per copy' \
    "$(median cp_sync)" "$(calc "$(median cp_sync) / $copy")" "$(calc "$(median copy_bytes) / 1048576")")"
  say "  peak memory of the copying run: $(peak_mib copy) MiB"
  if [ -n "${BENCH_OTHER_UPDATER:-}" ]; then
    other=$(calc "$(median copy_other) - $(median copy_other_nothing)" 3)
    say "$(printf '  %s: the copy %.3f s; ratio cp+sync/copy %s; peak memory %s MiB' "$BENCH_OTHER_UPDATER" "$other" \
      "$(calc "$(median cp_sync) / $other")" "$(peak_mib copy_other)")"
  fi
fi

# --- 5. Many terminals at once against one share ------------------------------------------------
if wanted fleet; then
  echo "share_bench: $terminals terminals at once" >&2
  packages=4 package_mib=2
  make_catalogue "$work/fleet/QOR7" 1
  make_packages "$work/fleet/QOR7" 'pkFrota%02dQ.bpl' "$packages" "$package_mib"
  for ((t = 1; t <= terminals; t++)); do make_terminal "$work/fleet/t$t" "$work/share/QOR7"; done
  mount_share "$work/fleet" "$wire_mbit" --uncached 1  # terminals are separate machines: no shared cache
  forget_share
  reset_counters
  start=$EPOCHREALTIME
  pids=()
  for ((t = 1; t <= terminals; t++)); do
    (cd "$work/fleet/t$t" && ATUALIZA_UI=headless DISPLAY= exec ./AtualizaTerminalQOR7 > out.txt 2> err.txt) &
    pids+=($!)
  done
  failed=0
  for pid in "${pids[@]}"; do wait "$pid" || failed=$((failed + 1)); done
  total=$(awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.3f", b - a }')
  fleet_bytes=$(counter read_bytes)
  unmount_share
  wrong=0
  for ((t = 1; t <= terminals; t++)); do
    for file in "$work/fleet/QOR7"/pkFrota*; do
      cmp -s "$file" "$work/fleet/t$t/${file##*/}" || wrong=$((wrong + 1))
    done
  done
  floor=$(calc "$terminals * $packages * $package_mib * 1048576 * 8 / ($wire_mbit * 1000000)" 3)
  say "== 5. $terminals terminals started at once, each copying $packages packages of $package_mib MiB, $wire_mbit Mbit/s"
  say "  (no client cache: each terminal reads its own bytes, as separate machines do)"
  say "  runs that did not exit 0: $failed; files not equal to the server's: $wrong (of $((terminals * packages)))"
  say "$(printf '  total %.3f s against the transfer floor %.3f s: ratio %s; %s MiB read from the share' "$total" \
    "$floor" "$(calc "$total / $floor")" "$(calc "$fleet_bytes / 1048576")")"
fi

flock -u 9
echo
echo "== Simulated share: $delay_ms ms a request, reads capped at $wire_mbit Mbit/s ($copy_mbit for the copy), attributes kept 1 s,"
echo "   read-ahead $( ((readahead_kb)) && echo "$readahead_kb KiB" || echo "FUSE's own (128 KiB)")"
echo "   machine load (1, 5, 15 min) before: $load_before; after: $(load); $(nproc) cores"
printf '%s\n' "${report[@]}"
