#!/usr/bin/env bash
# Makes the release packages in dist/ (or $DIST_DIR):
#   AtualizaTerminalQOR7-<version>-windows-x64.zip     the static Windows program, the guide, a sample qor.ini
#   AtualizaTerminalQOR7-<version>-linux-x64.tar.gz    the same for Linux
#   SHA256SUMS                                          their sums (sha256sum -c SHA256SUMS)
# The version is the project's (CMakeLists.txt). Each program is built in a release folder of its
# own with the tests off, installed stripped (cmake --install) and packed in a folder of the
# package's name.
#   RELEASE_BUILD_DIR      native build folder (default build-release)
#   RELEASE_WIN_BUILD_DIR  Windows build folder (default build-release-win)
#   DIST_DIR               where the packages go (default dist)
# A folder that is already configured is only brought up to date, whatever its options: the test
# command packs its own builds this way.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
native_dir=${RELEASE_BUILD_DIR:-build-release}
windows_dir=${RELEASE_WIN_BUILD_DIR:-build-release-win}
dist=${DIST_DIR:-dist}
options=(-G Ninja -DCMAKE_BUILD_TYPE=Release -DATUALIZA_TESTS=OFF -DATUALIZA_BENCH=OFF)

source scripts/build-lock.sh

# Configures a release folder the first time, then builds the program in it.
build_program() {
  local dir=$1
  shift
  [ -f "$dir/CMakeCache.txt" ] || in_build_folder "$dir" cmake -S . -B "$dir" "${options[@]}" "$@" >/dev/null
  in_build_folder "$dir" cmake --build "$dir" -j2 --target AtualizaTerminalQOR7
}

# Installs the package's files into a folder of its name and packs that folder; prints the
# archive's name.
pack() {
  local dir=$1 format=$2 name stage
  name=$(cat "$dir/nome-do-pacote.txt")
  stage=$(mktemp -d)
  in_build_folder "$dir" cmake --install "$dir" --prefix "$stage/$name" --component pacote --strip >/dev/null
  if [ "$format" = zip ]; then
    (cd "$stage" && cmake -E tar cf "$name.zip" --format=zip "$name")
  else
    (cd "$stage" && cmake -E tar czf "$name.tar.gz" "$name")
  fi
  mv "$stage/$name.$format" "$dist/"
  rm -rf "$stage"
  echo "$name.$format"
}

build_program "$native_dir"
build_program "$windows_dir" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake"

mkdir -p "$dist"
rm -f "$dist"/AtualizaTerminalQOR7-*.zip "$dist"/AtualizaTerminalQOR7-*.tar.gz "$dist/SHA256SUMS"
archives=("$(pack "$windows_dir" zip)" "$(pack "$native_dir" tar.gz)")
(cd "$dist" && sha256sum "${archives[@]}" > SHA256SUMS)
echo "packages in $dist/:"
(cd "$dist" && ls -l "${archives[@]}" SHA256SUMS)
