#!/usr/bin/env bash
# Builds the Debian package quillcast_<version>_<arch>.deb in build-package/ (or
# $QUILLCAST_PACKAGE_DIR): a release build installed under /usr, its library dependencies
# found by dpkg-shlibdeps. Prints the package's path on the last line.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${QUILLCAST_PACKAGE_DIR:-$root/build-package}"
"$root/scripts/setup-deps.sh" dpkg-dev file >&2
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
      -DBUILD_TESTING=OFF "${launcher[@]}" >&2
cmake --build "$build" -j"$(nproc)" >&2
rm -f "$build"/quillcast_*.deb
(cd "$build" && cpack -G DEB >&2)
ls "$build"/quillcast_*.deb
