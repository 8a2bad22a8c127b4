#!/bin/sh
# Sets up a new machine, builds the installer and the build tool, packs the
# demo product Skylark Notes into an installer build, and installs it. The
# install runs in a sandbox folder (build/demo-sandbox): its home, standard
# folders, Trash and temporary folder all lie there, nothing else is touched.
# On a desktop the installer opens its window; without a display the
# install runs unattended. Pass installer options after the command to
# change it, e.g. "--group Full" (or "--unattended" on a desktop).
set -eu
cd "$(dirname "$0")/.."
sh scripts/setup-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target ondelle ondelle-build
if cmake --build build --target help | grep -q ondelle-deinstall; then
  cmake --build build -j "$(nproc)" --target ondelle-deinstall
fi

SANDBOX="$(pwd)/build/demo-sandbox"
rm -rf "$SANDBOX"
mkdir -p "$SANDBOX/home" "$SANDBOX/tmp" "$SANDBOX/build"
export ONDELLE_SANDBOX="$SANDBOX" HOME="$SANDBOX/home" TMPDIR="$SANDBOX/tmp"

# The demo's shared library is compiled here, from its source.
cc -shared -fPIC -O2 -o "$SANDBOX/build/libskylark.so" examples/skylark/lib/skylark.c
./build/tools/ondelle-build make examples/skylark/product.json -o "$SANDBOX/build/SkylarkSetup" \
  --define BUILD="$SANDBOX/build"
./build/tools/ondelle-build inspect "$SANDBOX/build/SkylarkSetup" | tail -n 3

status=0
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  "$SANDBOX/build/SkylarkSetup" "$@" || status=$?
else
  "$SANDBOX/build/SkylarkSetup" --unattended --accept-license "$@" || status=$?
fi
LOG="$(find "$SANDBOX/home" -name Log -path '*Skylark Notes*' | head -n 1)"
if [ -n "$LOG" ]; then
  echo "== Install log: $LOG"
  cat "$LOG"
fi
exit $status
