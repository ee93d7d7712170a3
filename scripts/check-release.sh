#!/usr/bin/env bash
# Checks the release packages that scripts/release.sh made, as an administrator would meet them:
# the folder holds the two archives of the project's version and their sums, the sums hold, each
# archive opens with the usual tools and holds exactly the program, the guide and the sample
# settings file (the last two as in docs/), and each packed program, stripped, answers --version
# with the project's version (the Windows one under Wine), both naming the same build.
# Prints "release: N passed, M failed" and each failed check; exits non-zero when any failed.
#   check-release.sh [DIST_DIR]   (default dist)
#   CHECK_WINEPREFIX  the Wine prefix for the Windows program (default build-win/wineprefix)
set -uo pipefail
cd "$(dirname "$0")/.."
dist=$(realpath -m "${1:-dist}")
prefix=${CHECK_WINEPREFIX:-build-win/wineprefix}
version=$(sed -n 's/^project(AtualizaTerminal VERSION \([^ ]*\) .*/\1/p' CMakeLists.txt)
windows=AtualizaTerminalQOR7-$version-windows-x64
linux=AtualizaTerminalQOR7-$version-linux-x64
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failures=()

# check DESCRIPTION COMMAND...: runs the command, quietly, and counts its outcome.
check() {
  local description=$1
  shift
  if "$@" >"$work/last.txt" 2>&1; then
    passed=$((passed + 1))
  else
    failures+=("$description: $(tail -c 600 "$work/last.txt" | tr '\n' ' ')")
  fi
}

same_lines() { diff <(sort "$1") <(sort "$2"); }

# The files of an archive, folders left out, as listed by an independent tool.
zip_files() { unzip -Z1 "$1" | grep -v '/$'; }
tar_files() { tar -tzf "$1" | grep -v '/$'; }

expected_files() {
  printf '%s\n' "$1/$2" "$1/guia-do-administrador.md" "$1/qor.ini.exemplo"
}

# The first line of --version must name the project's version; the build's name is kept to
# compare the two programs.
answers_version() {
  local output=$1 label=$2
  head -1 "$output" | grep -q "^AtualizaTerminalQOR7 versão $version (compilação [^)]*)" || { cat "$output"; return 1; }
  sed -n 's/.*(compilação \(.*\))$/\1/p' "$output" | head -1 > "$work/build-$label.txt"
}

linux_version() {
  [ -x "$work/linux/$linux/AtualizaTerminalQOR7" ] || { echo "not executable"; return 1; }
  (cd "$work" && "$work/linux/$linux/AtualizaTerminalQOR7" --version) > "$work/linux-version.txt" 2>&1 || return 1
  answers_version "$work/linux-version.txt" linux
}

windows_version() {
  cmake/wine-run.sh "$prefix" "$work/windows/$windows/AtualizaTerminalQOR7.exe" --version \
    </dev/null > "$work/windows-version.txt" 2>/dev/null || { cat "$work/windows-version.txt"; return 1; }
  tr -d '\r' < "$work/windows-version.txt" > "$work/windows-version-lf.txt"
  answers_version "$work/windows-version-lf.txt" windows
}

no_debug_sections() { ! "$1" -h "$2" | grep -q '\.debug_info'; }

ls -A "$dist" > "$work/dist.txt" 2>/dev/null
printf '%s\n' "$windows.zip" "$linux.tar.gz" SHA256SUMS > "$work/dist-expected.txt"
check "dist holds the two archives of version $version and SHA256SUMS" same_lines "$work/dist.txt" "$work/dist-expected.txt"
check "SHA256SUMS names both archives" \
  same_lines <(awk '{print $2}' "$dist/SHA256SUMS" 2>/dev/null) <(printf '%s\n' "$windows.zip" "$linux.tar.gz")
check "the sums hold" bash -c "cd '$dist' && sha256sum -c SHA256SUMS"

check "the zip holds the program, the guide and the sample" \
  same_lines <(zip_files "$dist/$windows.zip") <(expected_files "$windows" AtualizaTerminalQOR7.exe)
check "the tar.gz holds the program, the guide and the sample" \
  same_lines <(tar_files "$dist/$linux.tar.gz") <(expected_files "$linux" AtualizaTerminalQOR7)

mkdir -p "$work/windows" "$work/linux"
unzip -q "$dist/$windows.zip" -d "$work/windows" 2>/dev/null
tar -xzf "$dist/$linux.tar.gz" -C "$work/linux" 2>/dev/null
for package in "windows/$windows" "linux/$linux"; do
  check "$package: the guide is docs/guia-do-administrador.md" \
    cmp docs/guia-do-administrador.md "$work/$package/guia-do-administrador.md"
  check "$package: the sample is docs/qor.ini.exemplo" cmp docs/qor.ini.exemplo "$work/$package/qor.ini.exemplo"
done

check "the Linux program answers --version with $version" linux_version
check "the Windows program answers --version with $version under Wine" windows_version
check "both programs name the same build" cmp "$work/build-linux.txt" "$work/build-windows.txt"
check "the Linux program is stripped" no_debug_sections objdump "$work/linux/$linux/AtualizaTerminalQOR7"
check "the Windows program is stripped" \
  no_debug_sections x86_64-w64-mingw32-objdump "$work/windows/$windows/AtualizaTerminalQOR7.exe"

echo "release: $passed passed, ${#failures[@]} failed"
for failure in "${failures[@]}"; do
  echo "  failed:  $failure"
done
[ "${#failures[@]}" -eq 0 ]
