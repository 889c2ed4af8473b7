#!/usr/bin/env bash
# Builds the Debian package quillcast_<version>_<arch>.deb in build-package/ (or
# $QUILLCAST_PACKAGE_DIR): a release build installed under /usr with Debian's hardening flags
# (dpkg-buildflags, hardening=+all), its library dependencies found by dpkg-shlibdeps. Prints
# the package's path on the last line.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${QUILLCAST_PACKAGE_DIR:-$root/build-package}"
"$root/scripts/setup-deps.sh" dpkg-dev file >&2
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$root}"
fi
# From the source folder, so that the file paths in the debugging data are relative to it.
cd "$root"
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
flag() { dpkg-buildflags --get "$1"; }
# The pages and the changelog carry the date of the newest changelog entry, not of the build.
SOURCE_DATE_EPOCH="$(dpkg-parsechangelog -l packaging/changelog -STimestamp)"
export SOURCE_DATE_EPOCH
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
      -DBUILD_TESTING=OFF "${launcher[@]}" \
      -DCMAKE_CXX_FLAGS="$(flag CPPFLAGS) $(flag CXXFLAGS)" \
      -DCMAKE_EXE_LINKER_FLAGS="$(flag LDFLAGS)" \
      -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >&2
# Only what the package installs (no benchmarks, no screenshot program).
cmake --build "$build" -j"$(nproc)" --target quillcast quillcast-send quillcast-encoder-sim \
      quillcast-data quillcast-changelog >&2
rm -f "$build"/quillcast_*.deb
(cd "$build" && cpack -G DEB >&2)
ls "$build"/quillcast_*.deb
