#!/usr/bin/env bash
# Builds the updater, lays out a sample installation in sample/ (a server program folder with its
# module catalogue, and a terminal program folder with the updater, its qor.ini and some old
# files), starts a stand-in module for the run to end, runs one update and shows what happened.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
build_dir=${BUILD_DIR:-build}
updater="$build_dir/src/AtualizaTerminalQOR7"

sample="$PWD/sample"
server="$sample/servidor/QOR7"
terminal="$sample/terminal/QOR7"
rm -rf "$sample"
mkdir -p "$server/TABDEF" "$terminal"

# A module executable that only writes down that it was started, and from where.
stand_in() {
  printf '#!/bin/sh\necho "$(date +%%T) $(basename "$0") iniciado em $PWD" >> "$PWD/lancamentos.txt"\n' > "$1"
  chmod +x "$1"
}

# --- The server installation -------------------------------------------------------------
for module in QOR7.EXE HALDENMOR7.EXE BIMRO7.EXE LUNDAMI7.EXE AtualizaTerminalQOR7.exe; do
  stand_in "$server/$module"
done
head -c 150000 /dev/urandom > "$server/pkQorBase.bpl"    # a package the terminal lacks
head -c 40000 /dev/urandom > "$server/pkRelatorios7.bpl" # matches a clean-up mask: copied each run
head -c 90000 /dev/urandom > "$server/qorcrypt.dll"
# Module lines: the executable in columns 1-26, the title from column 27.
line() { printf '%-26s%s\r\n' "$1" "$2"; }
{
  line QOR7.EXE "Sistema Principal"
  line HALDENMOR7.EXE "Frente de Caixa"
  line BIMRO7.EXE "Controle de Estoque"
  line LUNDAMI7.EXE "Contas a Pagar"
  line ATUALIZATERMINALQOR7.EXE "O próprio atualizador (nunca copiado)"
  printf 'pkQorBase.bpl\r\n'
} > "$server/TABDEF/MODULOS.DAT"

# --- The terminal ------------------------------------------------------------------------
cp "$updater" "$terminal/AtualizaTerminalQOR7"
printf '[QOR]\r\nServidor=servidor\r\nDiretorio_Servidor=%s/\r\nCaminho_Base_Dados=C:\\QOR7\\\r\n' "$server" \
  > "$terminal/qor.ini"
stand_in "$terminal/BIMRO7.EXE"                    # already current: same time as the server's
touch -r "$server/BIMRO7.EXE" "$terminal/BIMRO7.EXE"
stand_in "$terminal/QOR7.EXE"                      # an old version
touch -d '2020-01-01 08:00' "$terminal/QOR7.EXE"
head -c 1000 /dev/urandom > "$terminal/pkAntigo70.bpl"  # old files for the clean-up
head -c 1000 /dev/urandom > "$terminal/midas.dll"
: > "$terminal/ATUALIZA.DAT"

# A running suite module for the closing phase: a copy of sleep under a module's name.
cp "$(command -v sleep)" "$terminal/LUNDAMI7.EXE.bin"
(exec -a "$terminal/LUNDAMI7.EXE" "$terminal/LUNDAMI7.EXE.bin" 300) &
module_pid=$!
disown "$module_pid"  # its end is the run's doing, not worth a shell notice
sleep 0.3

echo "== terminal before the run"
ls -l --time-style=+%F\ %T "$terminal"
echo
if [ -z "${ATUALIZA_UI:-}" ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  export ATUALIZA_UI=headless
fi
echo "== the update run (window: ${ATUALIZA_UI:-automatic}; message boxes below)"
status=0
(cd "$terminal" && ./AtualizaTerminalQOR7) 2> "$sample/status.txt" || status=$?
echo "== exit status: $status (0 all updated and started; 1 failure path; 2 a file stayed old; 4 a launch failed)"
sleep 0.5  # the started modules run detached

echo
if kill -0 "$module_pid" 2>/dev/null; then
  echo "== the stand-in module LUNDAMI7.EXE (pid $module_pid) is still running"
  kill "$module_pid"
else
  echo "== the stand-in module LUNDAMI7.EXE (pid $module_pid) was ended by the run"
fi
rm -f "$terminal/LUNDAMI7.EXE.bin"
echo
echo "== the run log ($terminal/AtualizaTerminalQOR7.log)"
cat "$terminal/AtualizaTerminalQOR7.log"
echo
echo "== launches recorded by the stand-in modules"
cat "$terminal/lancamentos.txt" 2>/dev/null || echo "(none)"
echo
echo "== terminal after the run"
ls -l --time-style=+%F\ %T "$terminal"
echo
echo "(status lines of the window: $sample/status.txt)"
