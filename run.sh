#!/usr/bin/env bash
# Builds Quillcast and starts it. At a first start (no port stored yet) the built-in simulated
# encoder is the chosen port, so Connect and Send Configuration work straight away.
set -euo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
"$root/scripts/build.sh"
build="${QUILLCAST_BUILD_DIR:-$root/build}"
export QUILLCAST_SIMULATOR="${QUILLCAST_SIMULATOR:-1}"
exec "$build/quillcast" "$@"
