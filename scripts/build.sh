#!/usr/bin/env bash
# Configures and builds Quillcast into build/ (or $QUILLCAST_BUILD_DIR).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${QUILLCAST_BUILD_DIR:-$root/build}"
"$root/scripts/setup-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)"
