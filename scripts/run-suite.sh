#!/usr/bin/env bash
# Runs the CTest suite of a build folder and prints its count (cmake/count-tests.cmake): the line
# "<LABEL>: N passed, M failed, K skipped", then each failed case, each test program that ended
# without its report (how it ended and the last lines it printed) and each skipped case. Exits
# non-zero when a test failed or a program ended without its report.
#   run-suite.sh BUILD_DIR LABEL [CTEST_OPTIONS...]
set -uo pipefail
cd "$(dirname "$0")/.."
dir=$1 label=$2
shift 2
# A dashboard run (-T Test): its Test.xml keeps each program's exit status and output. It needs
# no dashboard settings; an empty file says so.
rm -rf "$dir/test-results" "$dir/Testing/TAG" "$dir"/Testing/[0-9]*-[0-9]*
[ -f "$dir/DartConfiguration.tcl" ] || : > "$dir/DartConfiguration.tcl"
source scripts/build-lock.sh
status=0
in_build_folder "$dir" ctest --test-dir "$dir" -T Test --no-compress-output --output-on-failure "$@" || status=$?
tag=$(head -1 "$dir/Testing/TAG" 2>/dev/null || true)
counted=$(cmake -DRESULTS="$dir/test-results" -DLABEL="$label" -DTEST_XML="$dir/Testing/$tag/Test.xml" \
                -P cmake/count-tests.cmake 2>&1)
echo "$counted"
[ "$status" -eq 0 ] && echo "$counted" | head -1 | grep -q ', 0 failed,'
