#!/bin/sh
# Runs the demo's install many times in a row under load and counts the runs
# that ended abnormally: N unattended installs (each writing through a pipe,
# as a calling program reads it), then M end-to-end runs of the installer's
# window, all while two busy loops take both cores.
#
#   sh scripts/stress.sh [N] [M]       (defaults: 50 and 5)
#
# Expects a build in BUILD_DIR (default: build) with the installer, the build
# tool, the deinstaller and the end-to-end test. Every install runs in a
# sandbox under a temporary folder; nothing outside it is touched. Exits 1
# when any run ended abnormally (a signal, a status other than 0, a report of
# heap damage or a sanitizer, or a lock left behind).
set -eu
cd "$(dirname "$0")/.."
N="${1:-50}"
M="${2:-5}"
BUILD_DIR="${BUILD_DIR:-build}"
ROOT="$(mktemp -d "${TMPDIR:-/tmp}/ondelle-stress.XXXXXX")"
HOGS=""
cleanup() {
  for pid in $HOGS; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$ROOT"
}
trap cleanup EXIT INT TERM

# The demo build, made once.
mkdir -p "$ROOT/build"
cc -shared -fPIC -O2 -o "$ROOT/build/libskylark.so" examples/skylark/lib/skylark.c
"$BUILD_DIR/tools/ondelle-build" make examples/skylark/product.json -o "$ROOT/build/SkylarkSetup" \
  --define BUILD="$ROOT/build" >/dev/null

for _ in 1 2; do
  yes >/dev/null &
  HOGS="$HOGS $!"
done

abnormal=0
i=1
while [ "$i" -le "$N" ]; do
  case="$ROOT/case-$i"
  mkdir -p "$case/home" "$case/tmp"
  status=0
  ( cd "$case" && ONDELLE_SANDBOX="$case" HOME="$case/home" TMPDIR="$case/tmp" \
      XDG_CONFIG_HOME="$case/home/.config" XDG_DATA_HOME="$case/home/.local/share" \
      "$ROOT/build/SkylarkSetup" --unattended --accept-license 2>&1 | cat >"$case/output" ) || status=$?
  # The pipe hides the installer's own status: read it from its words.
  if [ "$status" -ne 0 ] || ! grep -q "^Log: " "$case/output" \
      || grep -Eq "corrupted|double free|Sanitizer|Aborted|Segmentation|terminate called" "$case/output" \
      || [ -n "$(find "$case/home" -maxdepth 1 -name '.*.ondelle-lock')" ]; then
    abnormal=$((abnormal + 1))
    echo "stress: unattended run $i ended abnormally:" >&2
    tail -n 20 "$case/output" >&2
  else
    rm -rf "$case"
  fi
  i=$((i + 1))
done
echo "stress: $N unattended installs, $abnormal ended abnormally"
unattended_abnormal=$abnormal

abnormal=0
if [ "$M" -gt 0 ]; then
  if ! command -v xvfb-run >/dev/null 2>&1; then
    echo "stress: no xvfb-run, the window runs are left out"
  else
    j=1
    while [ "$j" -le "$M" ]; do
      # The run counts only when the one test really ran and passed.
      if ! xvfb-run -a env QT_QPA_PLATFORM=xcb "$BUILD_DIR/tests/test_end_to_end" \
          --gtest_filter='EndToEndTest.DemoInstalledThroughItsWindow*' >"$ROOT/window-$j" 2>&1 \
          || ! grep -q '^\[  PASSED  \] 1 test' "$ROOT/window-$j"; then
        abnormal=$((abnormal + 1))
        echo "stress: window run $j ended abnormally:" >&2
        tail -n 30 "$ROOT/window-$j" >&2
      fi
      j=$((j + 1))
    done
    echo "stress: $M window runs, $abnormal ended abnormally"
  fi
fi
[ "$unattended_abnormal" -eq 0 ] && [ "$abnormal" -eq 0 ]
