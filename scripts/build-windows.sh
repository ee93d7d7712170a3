#!/usr/bin/env bash
# Cross-builds the Windows program and its tests in build-win/ (or $BUILD_DIR) with mingw-w64,
# checks that the program imports system DLLs only, and with --test runs the Windows tests under
# Wine and prints how many passed and failed (exit status non-zero when any failed).
#   WIN_TARGETS="..."  targets to build (default: all)
#   WIN_TESTS=regex    with --test, only the CTest entries that match
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
build_dir=${BUILD_DIR:-build-win}
targets=${WIN_TARGETS:-all}
run_tests=false
[ "${1:-}" = "--test" ] && run_tests=true

source scripts/build-lock.sh
in_build_folder "$build_dir" cmake -S . -B "$build_dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DATUALIZA_TESTS=ON -DATUALIZA_BENCH=OFF >/dev/null
if [ "$targets" = all ]; then
  in_build_folder "$build_dir" cmake --build "$build_dir" -j2
else
  # shellcheck disable=SC2086
  in_build_folder "$build_dir" cmake --build "$build_dir" -j2 --target $targets
fi

exe="$build_dir/src/AtualizaTerminalQOR7.exe"
# The updater replaces DLLs in its own folder: it may depend on nothing but the system's.
allowed='^(kernel32|user32|gdi32|shell32|comctl32|comdlg32|advapi32|ole32|oleaut32|msvcrt|ws2_32|shlwapi|version|msimg32|uxtheme)\.dll$'
echo "DLLs imported by $exe:"
bad=0
while read -r dll; do
  echo "  $dll"
  echo "$dll" | tr 'A-Z' 'a-z' | grep -Eq "$allowed" || { echo "    ^ not a system DLL" >&2; bad=1; }
done < <(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
[ "$bad" -eq 0 ] || { echo "build-windows: the program needs a DLL that the workstation lacks" >&2; exit 1; }

$run_tests || exit 0

# Everything started below ends with the script, whatever way it ends.
xvfb_pid=
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
export WINEPREFIX="$PWD/$build_dir/wineprefix"
export WINEDEBUG=-all
cleanup() {
  # Our Wine server and the programs it still holds end before their display goes.
  "$wineserver" -k 2>/dev/null || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

# The window tests need a desktop: Wine draws on an X display, our own virtual one if none.
if [ -z "${DISPLAY:-}" ] && command -v Xvfb >/dev/null; then
  for n in $(seq 90 120); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    # No reset when its last client leaves: a program starting just then would find no display
    # and end at once, printing nothing.
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    # Ready when its socket is there (a loaded machine can take more than a second).
    for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    sleep 0.2
    break
  done
fi

# One Wine server for the whole run, kept alive between programs (for at most a minute after
# the last): each program then starts in a fraction of a second instead of seconds. Wine's own
# background programs are started here, away from the tests' output, which they would otherwise
# hold open for as long as they live.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  cmake/wine-run.sh "$WINEPREFIX" wineboot </dev/null >/dev/null 2>&1 || true  # makes the prefix
  "$wineserver" -w 2>/dev/null || true
fi
"$wineserver" -p60 </dev/null >/dev/null 2>&1 || true  # refused when one already runs: that one serves
cmake/wine-run.sh "$WINEPREFIX" wineboot </dev/null >/dev/null 2>&1 || true

status=0
bash scripts/run-suite.sh "$build_dir" "windows (wine)" -j2 --timeout 600 ${WIN_TESTS:+-R "$WIN_TESTS"} || status=$?
exit $status
