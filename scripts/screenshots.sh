#!/usr/bin/env bash
# Redraws docs/main-window.png and docs/plant-window.png, the README's pictures of the main and
# the plant window, from the program itself (no screen needed). Other pictures on request, into a
# folder of your choice:
#   scripts/screenshots.sh [OUTPUT_DIR main|plant|splash|about|help ...]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${QUILLCAST_BUILD_DIR:-$root/build}"
"$root/scripts/build.sh" quillcast-screenshots quillcast quillcast-encoder-sim
if [ $# -eq 0 ]; then
    set -- "$root/docs" main plant
fi
"$build/quillcast-screenshots" "$@"
