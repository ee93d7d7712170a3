#!/usr/bin/env bash
# Cross-builds the Windows program (and the Windows tests that build so far) in build-win/ (or
# $BUILD_DIR) with mingw-w64, checks that the program imports system DLLs only, and with --test
# runs the Windows tests under Wine.
#   WIN_TARGETS="..."  targets to build (default: the program and the Win32 platform tests;
#                      "all" builds everything)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
build_dir=${BUILD_DIR:-build-win}
targets=${WIN_TARGETS:-"AtualizaTerminalQOR7 test_platform_win32 test_ui_win32"}
run_tests=false
[ "${1:-}" = "--test" ] && run_tests=true

cmake -S . -B "$build_dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo -DATUALIZA_TESTS=ON -DATUALIZA_BENCH=OFF >/dev/null
if [ "$targets" = all ]; then
  cmake --build "$build_dir" -j2
else
  # shellcheck disable=SC2086
  cmake --build "$build_dir" -j2 --target $targets
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

if $run_tests; then
  # The window tests need a desktop: Wine draws on an X display, our own virtual one if none.
  xvfb_pid=
  if [ -z "${DISPLAY:-}" ] && command -v Xvfb >/dev/null; then
    for n in $(seq 90 120); do
      [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
      Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
      xvfb_pid=$!
      export DISPLAY=":$n"
      sleep 1
      break
    done
  fi
  status=0
  ctest --test-dir "$build_dir" --output-on-failure -j2 --timeout 300 -R "${WIN_TESTS:-Win32}" || status=$?
  # Wine's own processes of this prefix end before their display goes.
  WINEPREFIX="$PWD/$build_dir/wineprefix" /usr/lib/wine/wineserver -w 2>/dev/null || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid"
  exit $status
fi
