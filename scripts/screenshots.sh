#!/usr/bin/env bash
# Redraws docs/main-window.png, the README's picture of the main window, from the program
# itself (no screen needed). Other pictures on request, into a folder of your choice:
#   scripts/screenshots.sh [OUTPUT_DIR main|splash|about|help ...]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${QUILLCAST_BUILD_DIR:-$root/build}"
"$root/scripts/build.sh" quillcast-screenshots quillcast
if [ $# -eq 0 ]; then
    set -- "$root/docs" main
fi
"$build/quillcast-screenshots" "$@"
