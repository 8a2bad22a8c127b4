#!/bin/sh
# Installs the Debian packages that building, running and testing need.
# Idempotent and quiet: packages already present are left alone.
set -eu
PACKAGES="build-essential cmake pkg-config clang libclang-rt-14-dev \
  qt6-base-dev libpulse0 libgl-dev libarchive-dev libminizip-dev zlib1g-dev libdeflate-dev libssl-dev nlohmann-json3-dev \
  libgtest-dev libgmock-dev libbenchmark-dev zip unzip time attr fonts-dejavu-core fonts-liberation2 \
  desktop-file-utils shared-mime-info libxml2-utils xvfb xauth dbus-bin dbus-daemon at-spi2-core python3-pyatspi \
  xdotool openbox"
missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  # One retry after a fresh package list, for a mirror that was briefly away.
  install() {
    $SUDO apt-get update -qq >/dev/null &&
      $SUDO apt-get install -y -qq --no-install-recommends $missing >/dev/null
  }
  install || { echo "setup-deps: retrying the package install" >&2; sleep 15; install; }
fi
