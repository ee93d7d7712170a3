#!/usr/bin/env bash
# Makes the README's pictures anew from the window tests' own screenshots (FLTK on a private Xvfb):
# the splash while a fallback copy waits, the report box above the splash, the package window, and
# the fleet's page in headless Chromium (docs/frota-pagina.png).
# Builds in build/ (or $BUILD_DIR) and writes docs/screens/. With --windows, the same window tests
# cross-built (build-win/) and run under Wine on a private Xvfb make the Windows pictures too.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
bash scripts/build.sh
export ATUALIZA_UI=headless  # the tests choose their backend themselves
"$build_dir/tests/test_app" --gtest_filter='SplashTruth.*:SplashStepBack.*' >/dev/null
"$build_dir/tests/test_packinfo" --gtest_filter='PackWindowFltkTest.ScreenshotOfTheFilledTree' >/dev/null
"$build_dir/tests/test_frota" --gtest_filter='PaginaNoNavegador.*' >/dev/null
cp "$build_dir/frota-pagina.png" docs/frota-pagina.png
mkdir -p docs/screens
cp "$build_dir/blocked1-screen.png" docs/screens/splash-fallback.png
cp "$build_dir/report-over-splash.png" docs/screens/report-over-splash.png
cp "$build_dir/packinfo.png" docs/screens/package-window.png
cp "$build_dir/voltar-over-splash.png" docs/screens/voltar-over-splash.png
if [ "${1:-}" = --windows ]; then
  WIN_TARGETS="test_app" bash scripts/build-windows.sh >/dev/null
  export WINEPREFIX="$PWD/build-win/wineprefix" WINEDEBUG=-all
  wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
  for n in $(seq 140 170); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
    xvfb_pid=$!
    trap '"$wineserver" -k 2>/dev/null || true; kill "$xvfb_pid" 2>/dev/null || true' EXIT
    export DISPLAY=":$n"
    break
  done
  for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X${DISPLAY#:}" ] && break; sleep 0.1; done
  cmake/wine-run.sh "$WINEPREFIX" build-win/tests/test_app.exe \
    --gtest_filter='SplashTruthWin32.*:SplashStepBackWin32.*:SplashScreenWin32.*' >/dev/null
  cp build-win/blocked-win321-screen.png docs/screens/splash-fallback-win32.png
  cp build-win/report-over-splash-win32.png docs/screens/report-over-splash-win32.png
  cp build-win/voltar-over-splash-win32.png docs/screens/voltar-over-splash-win32.png
fi
echo "docs/screens/: $(ls docs/screens | tr '\n' ' ')"
