#!/usr/bin/env bash
# Builds everything and runs every test: the native suite, the same suite built once more with
# AddressSanitizer and UndefinedBehaviorSanitizer, the Windows build's suite under Wine, the
# release packages made from those builds and checked, then each fuzz target briefly on its seed
# corpus. Prints how many tests passed and failed on each (with what explains each failure) and
# what the fuzzers found; exits non-zero when any failed or found a fault.
#   BUILD_DIR       native build folder (default build)
#   ASAN_BUILD_DIR  sanitizer build folder (default build-asan)
#   WIN_BUILD_DIR   Windows build folder (default build-win)
#   FUZZ_SECONDS    seconds each fuzz target runs (default 4)
set -uo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
asan_build_dir=${ASAN_BUILD_DIR:-build-asan}
win_build_dir=${WIN_BUILD_DIR:-build-win}
started=$SECONDS
status=0

# The count that a suite printed in the log $2 under its label $1: its line and what follows.
count_of() { sed -n "/^$1: [0-9]* passed/,\$p" "$2"; }

# Runs the CTest suite of a native build folder and prints its count; the count's lines also go
# into the variable named by $3. Fails when a test failed or a program ended without its report.
run_suite() {
  local dir=$1 label=$2 log status
  log=$(mktemp)
  bash scripts/run-suite.sh "$dir" "$label" -j2 --timeout 300 2>&1 | tee "$log"
  status=${PIPESTATUS[0]}
  printf -v "$3" '%s' "$(count_of "$label" "$log")"
  rm -f "$log"
  return "$status"
}

# A suite's count for the summary: its line, then each failure with what explains it.
summary_of() { echo "$1" | grep -v '^  skipped: '; }

# Temporary files, and the background build while it runs, go with the script however it ends.
temporaries=()
windows_build=
cleanup() {
  [ -z "$windows_build" ] || kill -- -"$windows_build" 2>/dev/null || true
  rm -rf "${temporaries[@]}"
}
trap cleanup EXIT

bash scripts/build.sh || exit 1

# The native suite keeps about a third of the processors busy (most of its cases wait for the
# program's timer, one at a time): the Windows build is made meanwhile, and its suite runs later.
windows_build_log=$(mktemp)
temporaries+=("$windows_build_log")
# A session of its own, so that the build's compilers end with it if this script is cut short.
BUILD_DIR="$win_build_dir" setsid bash scripts/build-windows.sh </dev/null >"$windows_build_log" 2>&1 &
windows_build=$!

run_suite "$build_dir" native native || status=1

# Any finding of either sanitizer ends the program under test, so it fails its test.
sanitized="sanitizers (address, undefined): not run (build failed)"
if BUILD_DIR="$asan_build_dir" bash scripts/build.sh -DCMAKE_BUILD_TYPE=Sanitize -DATUALIZA_SANITIZE=ON \
                                                  -DATUALIZA_BENCH=OFF; then
  ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions="$PWD/tests/lsan.supp":print_suppressions=0 \
  UBSAN_OPTIONS=print_stacktrace=1 \
    run_suite "$asan_build_dir" "sanitizers (address, undefined)" sanitized || status=1
else
  status=1
fi

wait "$windows_build"
windows_built=$?
windows_build=
cat "$windows_build_log"
windows="windows (wine): not run (build failed)"
if [ "$windows_built" -eq 0 ]; then
  windows_log=$(mktemp)
  temporaries+=("$windows_log")
  BUILD_DIR="$win_build_dir" bash scripts/build-windows.sh --test 2>&1 | tee "$windows_log"
  [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
  windows=$(count_of "windows (wine)" "$windows_log")
  [ -n "$windows" ] || windows="windows (wine): not run (build failed)"
else
  status=1
fi

# The release packages, made from the two builds above as scripts/release.sh makes them, and
# checked as an administrator meets them.
release_dir=$(mktemp -d)
temporaries+=("$release_dir")
if RELEASE_BUILD_DIR="$build_dir" RELEASE_WIN_BUILD_DIR="$win_build_dir" DIST_DIR="$release_dir" \
     bash scripts/release.sh; then
  release=$(CHECK_WINEPREFIX="$win_build_dir/wineprefix" bash scripts/check-release.sh "$release_dir")
  release_status=$?
  echo "$release"
  [ "$release_status" -eq 0 ] || status=1
else
  release="release: not checked (the packages could not be made)"
  status=1
fi

fuzz_log=$(mktemp)
temporaries+=("$fuzz_log")
FUZZ_JOBS=2 bash scripts/fuzz.sh "${FUZZ_SECONDS:-4}" 2>&1 | tee "$fuzz_log"
[ "${PIPESTATUS[0]}" -eq 0 ] || status=1
fuzzing=$(grep '^fuzzing: ' "$fuzz_log" || echo "fuzzing: not run (build failed)")

echo
echo "=== Test summary ($((SECONDS - started)) s)"
summary_of "$native"
summary_of "$sanitized"
summary_of "$windows"
echo "$release"
echo "$fuzzing"
exit $status
