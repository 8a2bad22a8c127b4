#!/bin/sh
# Builds the libFuzzer targets with clang and runs each for a bounded time
# (first argument, seconds; default 60). Seeds come from fuzz/corpus/<target>
# and, for the readers of the platform's files, from the samples folder.
set -eu
cd "$(dirname "$0")/.."
SECONDS_EACH="${1:-60}"
sh scripts/setup-deps.sh
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DONDELLE_FUZZ=ON -DONDELLE_TESTS=OFF -DONDELLE_BENCH=OFF >/dev/null
cmake --build build-fuzz -j "$(nproc)"
SAMPLES="$(pwd)/../shared/samples/beos-artifacts"
status=0
for target in build-fuzz/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name="$(basename "$target")"
  work="build-fuzz/corpus-work/$name"
  mkdir -p "$work"
  seeds=""
  [ -d "fuzz/corpus/$name" ] && seeds="fuzz/corpus/$name"
  if [ -f "fuzz/$name.samples" ] && [ -d "$SAMPLES" ]; then seeds="$seeds $SAMPLES"; fi
  echo "-- $name for ${SECONDS_EACH}s"
  if ! "$target" -max_total_time="$SECONDS_EACH" -rss_limit_mb=2048 -timeout=10 \
      -print_final_stats=1 -artifact_prefix="build-fuzz/$name-" "$work" $seeds \
      >"build-fuzz/$name.log" 2>&1; then
    echo "FAILED: $name"; tail -60 "build-fuzz/$name.log"; status=1
  else
    grep -E "^stat::number_of_executed_units|^Done" "build-fuzz/$name.log" | head -2 || true
  fi
done
exit $status
