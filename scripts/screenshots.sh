#!/usr/bin/env bash
# Makes the README's pictures anew from the window tests' own screenshots (FLTK on a private Xvfb):
# the splash while a fallback copy waits, the report box above the splash, the package window, and
# the fleet's page in headless Chromium (docs/frota-pagina.png).
# Builds in build/ (or $BUILD_DIR) and writes docs/screens/.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
bash scripts/build.sh
export ATUALIZA_UI=headless  # the tests choose their backend themselves
"$build_dir/tests/test_app" --gtest_filter='SplashTruth.*' >/dev/null
"$build_dir/tests/test_packinfo" --gtest_filter='PackWindowFltkTest.ScreenshotOfTheFilledTree' >/dev/null
"$build_dir/tests/test_frota" --gtest_filter='PaginaNoNavegador.*' >/dev/null
cp "$build_dir/frota-pagina.png" docs/frota-pagina.png
mkdir -p docs/screens
cp "$build_dir/blocked1-screen.png" docs/screens/splash-fallback.png
cp "$build_dir/report-over-splash.png" docs/screens/report-over-splash.png
cp "$build_dir/packinfo.png" docs/screens/package-window.png
echo "docs/screens/: $(ls docs/screens | tr '\n' ' ')"
