#!/bin/sh
# Builds the libFuzzer targets with clang and runs each for a bounded time
# (first argument, seconds; default 60). Seeds come from fuzz/corpus/<target>
# and, for the readers of the platform's files, from the samples folder.
# Any crash, leak, timeout or missing target fails the run.
set -eu
cd "$(dirname "$0")/.."
SECONDS_EACH="${1:-60}"
BUILD_DIR="${BUILD_DIR:-build-fuzz}"
sh scripts/setup-deps.sh
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DONDELLE_FUZZ=ON -DONDELLE_TESTS=OFF -DONDELLE_BENCH=OFF ${CMAKE_ARGS:-} >/dev/null
cmake --build "$BUILD_DIR" -j "$(nproc)"
SAMPLES="$(pwd)/../shared/samples/beos-artifacts"
# Whatever a target writes (the zip target unpacks archives) stays in the
# build folder.
rm -rf "$BUILD_DIR/tmp"
mkdir -p "$BUILD_DIR/tmp"
TMPDIR="$(cd "$BUILD_DIR/tmp" && pwd)"
export TMPDIR
passed=0
failed=0
for source in fuzz/fuzz_*.cpp; do
  name="$(basename "$source" .cpp)"
  target="$BUILD_DIR/fuzz/$name"
  if [ ! -x "$target" ]; then
    echo "FAILED: $name was not built"; failed=$((failed + 1)); continue
  fi
  work="$BUILD_DIR/corpus-work/$name"
  mkdir -p "$work"
  seeds=""
  if [ -d "fuzz/corpus/$name" ]; then
    seeds="fuzz/corpus/$name"
  else
    echo "note: $name has no seeds in fuzz/corpus/$name"
  fi
  if [ -f "fuzz/$name.samples" ]; then
    if [ -d "$SAMPLES" ]; then
      seeds="$seeds $SAMPLES"
    else
      echo "note: samples folder $SAMPLES not found; $name runs without it"
    fi
  fi
  echo "-- $name for ${SECONDS_EACH}s"
  if ! "$target" -max_total_time="$SECONDS_EACH" -rss_limit_mb=2048 -timeout=10 \
      -print_final_stats=1 -artifact_prefix="$BUILD_DIR/$name-" "$work" $seeds \
      >"$BUILD_DIR/$name.log" 2>&1; then
    echo "FAILED: $name"; tail -60 "$BUILD_DIR/$name.log"; failed=$((failed + 1))
  else
    grep -E "^stat::number_of_executed_units|^Done" "$BUILD_DIR/$name.log" | head -2 || true
    passed=$((passed + 1))
  fi
done
echo "fuzzing: $passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
