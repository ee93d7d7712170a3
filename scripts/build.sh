#!/usr/bin/env bash
# Configures and builds the native program and its tests in build/ (or $BUILD_DIR); arguments
# go to CMake's configure step (the test command's sanitizer build passes its options so).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
build_dir=${BUILD_DIR:-build}
source scripts/build-lock.sh
in_build_folder "$build_dir" cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
in_build_folder "$build_dir" cmake --build "$build_dir" -j2
