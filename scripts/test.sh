#!/usr/bin/env bash
# Builds everything and runs every test: the native suite, the same suite built once more with
# AddressSanitizer and UndefinedBehaviorSanitizer, the Windows build's suite under Wine, then each
# fuzz target briefly on its seed corpus. Prints how many tests passed and failed on each and what
# the fuzzers found; exits non-zero when any failed or found a fault.
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

# Runs the CTest suite of a native build folder and prints its count; the count's lines also go
# into the variable named by $3. Fails when a test failed or a program ended without its report.
run_suite() {
  local dir=$1 label=$2 ctest_status=0 counted
  rm -rf "$dir/test-results" "$dir/Testing/Temporary/LastTestsFailed.log"
  ctest --test-dir "$dir" --output-on-failure -j2 --timeout 300 || ctest_status=$?
  counted=$(cmake -DRESULTS="$dir/test-results" -DLABEL="$label" \
                  -DFAILED_LOG="$dir/Testing/Temporary/LastTestsFailed.log" -P cmake/count-tests.cmake 2>&1)
  echo "$counted"
  printf -v "$3" '%s' "$counted"
  [ "$ctest_status" -eq 0 ] && echo "$counted" | head -1 | grep -q ', 0 failed,'
}

bash scripts/build.sh || exit 1
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

windows_log=$(mktemp)
trap 'rm -f "$windows_log"' EXIT
BUILD_DIR="$win_build_dir" bash scripts/build-windows.sh --test 2>&1 | tee "$windows_log"
[ "${PIPESTATUS[0]}" -eq 0 ] || status=1
windows=$(grep -A1000 '^windows (wine): [0-9]* passed' "$windows_log" || echo "windows (wine): not run (build failed)")

fuzz_log=$(mktemp)
trap 'rm -f "$windows_log" "$fuzz_log"' EXIT
FUZZ_JOBS=2 bash scripts/fuzz.sh "${FUZZ_SECONDS:-4}" 2>&1 | tee "$fuzz_log"
[ "${PIPESTATUS[0]}" -eq 0 ] || status=1
fuzzing=$(grep '^fuzzing: ' "$fuzz_log" || echo "fuzzing: not run (build failed)")

echo
echo "=== Test summary ($((SECONDS - started)) s)"
echo "$native" | head -1
echo "$sanitized" | head -1
echo "$windows" | head -1
echo "$fuzzing"
exit $status
