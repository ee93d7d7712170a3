#!/usr/bin/env bash
# Publishing and checking by content, each figure a ratio to a reference measured in the same
# rounds (medians). Not part of the tests.
#   1. --verificar over a terminal of BENCH_MIB MiB (warm cache) against sha256sum of the same
#      files: ratio sha256sum/verificar (goal >= 0.9: each byte read once, at hashing speed);
#   2. --publicar of the same build to the simulated share against cp -p + sync of the same files
#      into it: ratio (cp+sync)/publicar (goal >= 0.91, i.e. within 1.1 x cp + sync);
#   3. an update run against that unchanged server with its manifest: bytes read from the share
#      (goal: the catalogue and the manifest only, no file byte).
# Environment: BENCH_MIB (default 500), BENCH_RUNS (default 3), BENCH_DELAY_MS (default 0.5),
# BENCH_BUILD_DIR (a build folder with the program and share_sim; default build).
# Linux only, root or a user allowed to mount FUSE file systems.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
mib=${BENCH_MIB:-500}
runs=${BENCH_RUNS:-3}
delay_ms=${BENCH_DELAY_MS:-0.5}
build_dir=${BENCH_BUILD_DIR:-build}
updater="$root/$build_dir/src/AtualizaTerminalQOR7"
share_sim="$root/$build_dir/tests/support/share/share_sim"
[ -x "$updater" ] && [ -x "$share_sim" ] || { echo "publicacao_bench: build first (bash scripts/build.sh)" >&2; exit 1; }
work=$(mktemp -d "${TMPDIR:-/tmp}/atualiza-publicacao-bench.XXXXXX")
share_pid=
cleanup() {
  if [ -n "$share_pid" ]; then "$share_sim" ctl "$work/control" quit >/dev/null 2>&1 || true; exec 8>&-; wait "$share_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
now() { date +%s.%N; }
calc() { awk "BEGIN { printf \"%.${2:-3}f\", $1 }"; }
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# The build: files of 10 MiB (the last one smaller) and a catalogue naming them.
mkdir -p "$work/versao/TABDEF" "$work/backing" "$work/share" "$work/terminal"
files=$(( (mib + 9) / 10 ))
for i in $(seq -w 1 "$files"); do
  head -c $(( 10 * 1024 * 1024 )) /dev/urandom > "$work/versao/MOD$i.EXE"
  printf '%-26s%s\r\n' "MOD$i.EXE" "Modulo $i" >> "$work/versao/TABDEF/MODULOS.DAT"
done
touch -d '2024-05-01 10:00:00' "$work/versao"/*.EXE "$work/versao/TABDEF/MODULOS.DAT"
echo "publicacao_bench: $files files, $(du -sm "$work/versao" | cut -f1) MiB, $runs rounds, load $(cut -d' ' -f1-3 /proc/loadavg)"

# --- 1. --verificar against sha256sum --------------------------------------------------------
cp -p "$work/versao"/*.EXE "$work/terminal/"
cp "$updater" "$work/terminal/AtualizaTerminalQOR7"
"$updater" --publicar "$work/versao" "$work/backing" >/dev/null
# The copy of the manifest a terminal keeps: the same lines (the catalogue's line reads as missing
# there, the same for every round).
cp "$work/backing/TABDEF/AtualizaTerminalQOR7.publicacao" "$work/terminal/AtualizaTerminalQOR7.publicacao"
: > "$work/t_sha"; : > "$work/t_ver"
cat "$work/terminal"/*.EXE > /dev/null  # warm: both read from memory
for _ in $(seq "$runs"); do
  t0=$(now); sha256sum "$work/terminal"/*.EXE > /dev/null; t1=$(now)
  (cd "$work/terminal" && ./AtualizaTerminalQOR7 --verificar > "$work/verificar.txt" || true); t2=$(now)
  calc "$t1 - $t0" >> "$work/t_sha"; echo >> "$work/t_sha"
  calc "$t2 - $t1" >> "$work/t_ver"; echo >> "$work/t_ver"
done
sha=$(grep . "$work/t_sha" | median); ver=$(grep . "$work/t_ver" | median)
echo "== 1. --verificar over $mib MiB: $ver s; sha256sum of the same files: $sha s; ratio sha256sum/verificar $(calc "$sha / $ver" 2) (goal >= 0.90)"
echo "   its output: $(head -1 "$work/verificar.txt")"

# --- 2. --publicar to the simulated share against cp -p + sync ---------------------------------
rm -rf "$work/backing"; mkdir -p "$work/backing"
mkfifo "$work/watch"
"$share_sim" mount "$work/backing" "$work/share" --delay-ms "$delay_ms" --control "$work/control" --watch-fd 0 \
  --lifetime 3600 < "$work/watch" > "$work/share.log" 2>&1 &
share_pid=$!
exec 8> "$work/watch"
for _ in $(seq 200); do "$share_sim" ctl "$work/control" ping >/dev/null 2>&1 && break; sleep 0.05; done
: > "$work/t_cp"; : > "$work/t_pub"
for _ in $(seq "$runs"); do
  rm -rf "$work/share/"*; sync
  t0=$(now); cp -rp "$work/versao/." "$work/share/"; sync; t1=$(now)
  rm -rf "$work/share/"*; sync
  t2=$(now); "$updater" --publicar "$work/versao" "$work/share" > /dev/null; t3=$(now)
  calc "$t1 - $t0" >> "$work/t_cp"; echo >> "$work/t_cp"
  # The publish waits 2 s after its announcement on purpose (a share client's cache): left out.
  calc "$t3 - $t2 - 2" >> "$work/t_pub"; echo >> "$work/t_pub"
done
cp_t=$(grep . "$work/t_cp" | median); pub=$(grep . "$work/t_pub" | median)
echo "== 2. --publicar of $mib MiB to the simulated share: $pub s (less its 2 s wait); cp -p + sync: $cp_t s; ratio (cp+sync)/publicar $(calc "$cp_t / $pub" 2) (goal >= 0.91)"

# --- 3. a run against the unchanged server, manifest present --------------------------------
mkdir -p "$work/estacao"
cp -p "$work/versao"/*.EXE "$work/estacao/"
cp "$updater" "$work/estacao/AtualizaTerminalQOR7"
printf '#!/bin/sh\nexit 0\n' > "$work/estacao/QOR7.exe"; chmod +x "$work/estacao/QOR7.exe"
printf '[QOR]\r\nServidor=servidor\r\nDiretorio_Servidor=%s/\r\nCaminho_Base_Dados=C:\\QOR7\\\r\n' "$work/share" > "$work/estacao/qor.ini"
(cd "$work/estacao" && ATUALIZA_UI=headless ./AtualizaTerminalQOR7 > /dev/null 2>&1 || true)  # the first run notes the digests
sleep 1.1
"$share_sim" ctl "$work/control" reset > /dev/null
(cd "$work/estacao" && ATUALIZA_UI=headless ./AtualizaTerminalQOR7 > /dev/null 2>&1 || true)
read_bytes=$("$share_sim" ctl "$work/control" counters | awk '$1 == "read_bytes" { print $2 }')
small=$(( $(stat -c %s "$work/share/TABDEF/MODULOS.DAT") + $(stat -c %s "$work/share/TABDEF/AtualizaTerminalQOR7.publicacao") ))
echo "== 3. a run against the unchanged server: ${read_bytes:-?} bytes read from the share (catalogue + manifest: $small bytes; files: $(( mib * 1024 * 1024 )) bytes); copies logged: $(grep -c 'copiado:' "$work/estacao/AtualizaTerminalQOR7.log" || true)"
