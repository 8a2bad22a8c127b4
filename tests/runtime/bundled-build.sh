#!/bin/sh
# A build with its own runtime, started where the system's Qt and ICU cannot
# be loaded: in a private mount namespace every Qt and ICU library file of
# the system is covered with /dev/null and Qt's plugin folders with an
# empty folder. Unattended it installs; under xvfb-run its window is painted;
# a second start reuses the unpacked runtime; a folder of another user, a
# damaged runtime and a full disk stop the start before the installer runs
# (a changed cache folder is unpacked again: RuntimeCacheTest). Everything lives below a
# temporary root (the sandbox, which holds the home folder, the cache and the
# temporary folder).
# Usage: bundled-build.sh BUILD_DIR SOURCE_DIR. Exit 77: skipped.
set -u
BUILD_DIR=$1
SOURCE_DIR=$2

skip() { echo "SKIPPED: $1"; exit 77; }
fail() { echo "FAILED: $1"; exit 1; }

[ "$(id -u)" = 0 ] || skip "hiding the system's Qt needs root (a private mount namespace with bind mounts)"
command -v unshare >/dev/null 2>&1 || skip "unshare is not installed"
unshare -m true 2>/dev/null || skip "private mount namespaces are not available here"
command -v cc >/dev/null 2>&1 || skip "no C compiler for the demo's library"

ROOT=$(mktemp -d "${TMPDIR:-/tmp}/ondelle-bundled-XXXXXX") || fail "no temporary root"
trap '[ -n "${KEEP:-}" ] || rm -rf "$ROOT"' EXIT
mkdir -p "$ROOT/build" "$ROOT/cache" "$ROOT/tmp" "$ROOT/empty" "$ROOT/small"
mkdir -p "$ROOT/home"
export HOME="$ROOT/home" XDG_CACHE_HOME="$ROOT/cache" TMPDIR="$ROOT/tmp" ONDELLE_SANDBOX="$ROOT" XDG_RUNTIME_DIR="$ROOT/tmp"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM QT_PLUGIN_PATH LD_LIBRARY_PATH

cc -shared -fPIC -O2 -o "$ROOT/build/libskylark.so" "$SOURCE_DIR/examples/skylark/lib/skylark.c" \
  || fail "the demo's library does not compile"
# This machine's own C library is the floor its Qt can meet.
FLOOR=$(ldd --version | head -n 1 | awk '{print $NF}')
BUILD="$ROOT/build/SkylarkSetup"
"$BUILD_DIR/tools/ondelle-build" make "$SOURCE_DIR/examples/skylark/product.json" -o "$BUILD" \
  --define BUILD="$ROOT/build" --bundle-runtime --glibc-floor "$FLOOR" --quiet || fail "the bundled build is not made"
"$BUILD_DIR/tools/ondelle-build" inspect "$BUILD" >"$ROOT/inspect" || fail "the bundled build does not inspect whole"
sed -n '/^Sizes:/,$p' "$ROOT/inspect"
# Beside the items and the runtime, a build carries at most 3 MB: the first
# stage, the deinstaller, the help file and the configuration.
REST=$(awk '/^Sizes:/ {on = 1} on && /bytes$/ {
  size = $(NF - 1)
  if ($1 == "total") total = size; else if ($1 == "item" || $1 == "runtime") carried += size }
  END { print total - carried }' "$ROOT/inspect")
echo "beside the items and the runtime: $REST bytes"
[ "$REST" -le 3145728 ] || fail "the build carries $REST bytes beside its items and runtime"

# Runs "$@" with the system's Qt and ICU hidden.
HIDE='
for lib in $(ldconfig -p | awk "/libQt6|libicu/ {print \$NF}"); do
  real=$(readlink -f "$lib")
  [ -f "$real" ] && mount --bind /dev/null "$real"
done
for folder in /usr/lib/x86_64-linux-gnu/qt6/plugins /usr/lib/qt6/plugins /usr/lib64/qt6/plugins; do
  [ -d "$folder" ] && mount --bind "$EMPTY" "$folder"
done
exec "$@"'
hidden() { EMPTY="$ROOT/empty" unshare -m sh -c "$HIDE" hide "$@"; }
runtime_folder() { ls -d "$XDG_CACHE_HOME"/ondelle/runtime-* 2>/dev/null; }

# The plain installer cannot start there: the libraries are really hidden.
if hidden "$BUILD_DIR/app/ondelle" --version >/dev/null 2>&1; then
  fail "the plain installer still starts: the system's Qt is not hidden"
fi

hidden "$BUILD" --unattended --accept-license >"$ROOT/out1" 2>&1 \
  || { cat "$ROOT/out1"; fail "the unattended install did not succeed without the system's Qt"; }
grep -q "Installation successfully completed" "$ROOT/out1" || fail "the install did not complete"
FOLDER=$(runtime_folder)
[ -d "$FOLDER" ] || fail "no runtime was unpacked"
SEAL=$(stat -c %i:%Z "$FOLDER/.seal")

hidden "$BUILD" --unattended --accept-license >"$ROOT/out2" 2>&1 \
  || { cat "$ROOT/out2"; fail "the second install did not succeed"; }
[ "$(stat -c %i:%Z "$FOLDER/.seal")" = "$SEAL" ] || fail "the second start unpacked the runtime again"

if command -v xvfb-run >/dev/null 2>&1; then
  ONDELLE_REPORT_SHOWN=1 QT_QPA_PLATFORM=xcb timeout 120 \
    unshare -m sh -c "$HIDE" hide xvfb-run -a "$BUILD" >"$ROOT/out3" 2>&1
  grep -q '^shown' "$ROOT/out3" || { cat "$ROOT/out3"; fail "the window was not painted under xvfb-run"; }
else
  echo "note: xvfb-run is not installed; the window was not shown"
fi

# A display whose platform plugin cannot start: said plainly, with the way out.
DISPLAY=:97 QT_QPA_PLATFORM=xcb hidden "$BUILD" >"$ROOT/out4" 2>&1 \
  && fail "the installer went on without a display connection"
grep -q -- "--unattended" "$ROOT/out4" || { cat "$ROOT/out4"; fail "no plain message about the display"; }

# A folder of another user: neither used nor touched, and nothing runs.
chown -R 65534:65534 "$FOLDER"
hidden "$BUILD" --unattended --accept-license >"$ROOT/out6" 2>&1 \
  && fail "a runtime folder of another user was used"
grep -q "another user" "$ROOT/out6" || { cat "$ROOT/out6"; fail "the message does not say whose folder it is"; }
grep -q "Installation" "$ROOT/out6" && fail "the installer ran from another user's folder"
chown -R 0:0 "$FOLDER"

# A damaged runtime: refused, nothing kept, nothing runs.
cp "$BUILD" "$ROOT/build/Damaged"
# A byte early in the runtime, which follows the parts listed before it.
AT=$(awk '/^Sizes:/ {on = 1} on && $1 == "runtime" {print before + 100000; exit} on && /bytes$/ {before += $(NF - 1)}' \
  "$ROOT/inspect")
printf 'X' | dd of="$ROOT/build/Damaged" bs=1 seek="$AT" conv=notrunc 2>/dev/null
"$BUILD_DIR/tools/ondelle-build" inspect "$ROOT/build/Damaged" >/dev/null 2>"$ROOT/inspect7" \
  && fail "inspect found nothing wrong with a damaged runtime"
grep -q "the runtime" "$ROOT/inspect7" || { cat "$ROOT/inspect7"; fail "inspect does not name the runtime"; }
XDG_CACHE_HOME="$ROOT/cache7" hidden "$ROOT/build/Damaged" --unattended --accept-license \
  >"$ROOT/out7" 2>&1 && fail "a damaged runtime was used"
cat "$ROOT/out7"
grep -q "Installation" "$ROOT/out7" && fail "the installer ran from a damaged runtime"
[ -z "$(ls -A "$ROOT/cache7/ondelle")" ] || fail "a damaged runtime was left in the cache"

# A disk that fills while unpacking: refused, nothing kept, nothing runs.
XDG_CACHE_HOME="$ROOT/small" unshare -m sh -c '
  mount -t tmpfs -o size=4m tmpfs "$XDG_CACHE_HOME" || exit 3
  "$0" --unattended --accept-license
  status=$?
  echo "left in the cache: $(ls -A "$XDG_CACHE_HOME/ondelle" | wc -l)"
  exit $status' "$BUILD" >"$ROOT/out8" 2>&1 && fail "the start went on with a full disk"
cat "$ROOT/out8"
grep -q "disk is full" "$ROOT/out8" || fail "the message does not say the disk is full"
grep -q "left in the cache: 0" "$ROOT/out8" || fail "a partly unpacked runtime was left behind"
grep -q "Installation" "$ROOT/out8" && fail "the installer ran from a partly unpacked runtime"

echo "bundled build: $(stat -c %s "$BUILD") bytes; runtime unpacked: $(du -sb "$FOLDER" | cut -f1) bytes"
exit 0
