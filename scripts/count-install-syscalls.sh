#!/bin/sh
# Counts the system calls of one unattended install of a payload like the
# one bench_install uses (5,000 files of mixed text and binary data, folders
# up to five deep, 50 folder items and 10 single files, level 6), with
# strace -c -f, and prints them per installed file.
#
#   scripts/count-install-syscalls.sh BUILD_DIR [FILES_PER_ITEM]
#
# BUILD_DIR is a build folder holding app/ondelle and tools/ondelle-build.
# Everything is written below a fresh temporary folder, which also serves
# as the sandbox (home, temporary and data folders); it is removed at the
# end.
set -eu

build=$(cd "${1:?usage: $0 BUILD_DIR [FILES_PER_ITEM]}" && pwd)
per_item=${2:-99}
root=$(mktemp -d "${TMPDIR:-/tmp}/ondelle-syscalls-XXXXXX")
trap 'rm -rf "$root"' EXIT

mkdir -p "$root/home" "$root/tmp" "$root/dest"
export ONDELLE_SANDBOX="$root" HOME="$root/home" TMPDIR="$root/tmp"
export XDG_CONFIG_HOME="$root/home/.config" XDG_DATA_HOME="$root/home/.local/share"
export XDG_CACHE_HOME="$root/home/.cache" XDG_RUNTIME_DIR="$root/tmp"

python3 - "$root" "$per_item" <<'EOF'
import json, os, random, sys
root, per_item = sys.argv[1], int(sys.argv[2])
rng = random.Random(7)
words = ["install", "folder", "resource", "message", "archive", "volume", "attribute",
         "library", "window", "package", "0x1f3a", "\n", "  ", "{", "}", ";", "return", "the"]
def contents(size):
    if rng.random() < 0.5:
        return rng.randbytes(size)
    text = []
    length = 0
    while length < size:
        word = rng.choice(words) + " "
        text.append(word)
        length += len(word)
    return "".join(text).encode()[:size]
def size():
    return 10240 + rng.randrange(61440)
items = []
payload = os.path.join(root, "payload")
for folder in range(50):
    item = os.path.join(payload, "Part%d" % folder)
    for number in range(per_item):
        where = item
        for level in range(number % 5):
            where = os.path.join(where, "level%d-%d" % (level, number % 3))
        os.makedirs(where, exist_ok=True)
        extension = [".txt", ".dat", ".h"][number % 3]
        with open(os.path.join(where, "file%d%s" % (number, extension)), "wb") as out:
            out.write(contents(size()))
    items.append({"path": item, "destination": "User Selected", "deinstallable": True})
for single in range(10):
    path = os.path.join(payload, "single%d.bin" % single)
    with open(path, "wb") as out:
        out.write(contents(size()))
    items.append({"path": path, "destination": "User Selected", "deinstallable": True})
description = {
    "product": {"name": "Count", "version": "1.0", "release_date": "today", "company": "Here",
                "support_email": "help@example.org"},
    "options": {"created_folder": "Count", "log": True, "compression_level": 6},
    "items": items,
}
with open(os.path.join(root, "product.json"), "w") as out:
    json.dump(description, out)
EOF

"$build/tools/ondelle-build" make "$root/product.json" -o "$root/Setup" --quiet
files=$(find "$root/payload" -type f | wc -l)
strace -f -c -o "$root/strace.txt" "$root/Setup" --unattended --all --quiet --folder "$root/dest" >/dev/null
installed=$(find "$root/dest/Count" -type f | wc -l)
total=$(awk '$NF == "total" { print $4 }' "$root/strace.txt")
cat "$root/strace.txt"
echo "payload files: $files; installed files: $installed; system calls: $total;" \
    "per payload file: $(awk -v t="$total" -v f="$files" 'BEGIN { printf "%.1f", t / f }')"
