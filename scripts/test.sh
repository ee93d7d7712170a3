#!/usr/bin/env bash
# Builds everything and runs every test: the native suite, then the Windows build's suite under
# Wine, then each fuzz target briefly on its seed corpus. Prints how many tests passed and failed
# on each and what the fuzzers found; exits non-zero when any failed or found a fault.
#   BUILD_DIR      native build folder (default build)
#   WIN_BUILD_DIR  Windows build folder (default build-win)
#   FUZZ_SECONDS   seconds each fuzz target runs (default 4)
set -uo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
win_build_dir=${WIN_BUILD_DIR:-build-win}
started=$SECONDS
status=0

bash scripts/build.sh || exit 1
rm -rf "$build_dir/test-results" "$build_dir/Testing/Temporary/LastTestsFailed.log"
native_status=0
ctest --test-dir "$build_dir" --output-on-failure -j2 --timeout 300 || native_status=$?
native=$(cmake -DRESULTS="$build_dir/test-results" -DLABEL=native \
               -DFAILED_LOG="$build_dir/Testing/Temporary/LastTestsFailed.log" -P cmake/count-tests.cmake 2>&1)
echo "$native"
if [ "$native_status" -ne 0 ] || ! echo "$native" | head -1 | grep -q ', 0 failed,'; then status=1; fi

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
echo "$windows" | head -1
echo "$fuzzing"
exit $status
