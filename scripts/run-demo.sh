#!/bin/sh
# Sets up a new machine, builds the installer and runs it.
set -eu
cd "$(dirname "$0")/.."
sh scripts/setup-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target ondelle
./build/app/ondelle --version
./build/app/ondelle --help
