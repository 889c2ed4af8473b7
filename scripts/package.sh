#!/usr/bin/env bash
# Builds the Debian package quillcast_<version>_<arch>.deb from the build of scripts/build.sh, in
# build/ (or $QUILLCAST_BUILD_DIR): Debian's hardening flags, installed under /usr, its library
# dependencies found by dpkg-shlibdeps. After ./test.sh the programs are built already and only
# packed. Prints the package's path on the last line.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${QUILLCAST_BUILD_DIR:-$root/build}"
"$root/scripts/setup-deps.sh" dpkg-dev file >&2
# Only what the package installs (no tests, benchmarks or screenshot program).
"$root/scripts/build.sh" quillcast quillcast-send quillcast-encoder-sim quillcast-data \
    quillcast-changelog >&2
# The package's files carry the date of the newest changelog entry, not of the build.
SOURCE_DATE_EPOCH="$(dpkg-parsechangelog -l "$root/packaging/changelog" -STimestamp)"
export SOURCE_DATE_EPOCH
rm -f "$build"/quillcast_*.deb
(cd "$build" && cpack -G DEB >&2)
ls "$build"/quillcast_*.deb
