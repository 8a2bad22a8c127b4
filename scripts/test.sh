#!/bin/sh
# Sets up a new machine, builds everything and runs every test through CTest.
# BUILD_DIR and CMAKE_ARGS may be given to build a variant, CTEST_EXCLUDE a
# pattern of tests that the variant leaves out (see .ci/run).
set -eu
cd "$(dirname "$0")/.."
sh scripts/setup-deps.sh
BUILD_DIR="${BUILD_DIR:-build}"
JOBS="$(nproc)"
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo ${CMAKE_ARGS:-} >/dev/null
cmake --build "$BUILD_DIR" -j "$JOBS"
ctest --test-dir "$BUILD_DIR" --output-on-failure -j "$JOBS" --timeout 600 ${CTEST_EXCLUDE:+-E "$CTEST_EXCLUDE"}
