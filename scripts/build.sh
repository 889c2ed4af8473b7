#!/usr/bin/env bash
# Configures and builds Quillcast into build/ (or $QUILLCAST_BUILD_DIR): everything, or the
# targets named on the command line. It is the Debian package's build: Debian's compiler and
# linker flags (dpkg-buildflags, hardening=+all), so that the tests run the code the package
# ships and scripts/package.sh packs this same build.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${QUILLCAST_BUILD_DIR:-$root/build}"
"$root/scripts/setup-deps.sh"
# From the source folder, so that the file paths in the debugging data are relative to it.
cd "$root"
flags=()
if command -v dpkg-buildflags >/dev/null; then
    export DEB_BUILD_MAINT_OPTIONS=hardening=+all
    flag() { dpkg-buildflags --get "$1"; }
    flags=(-DCMAKE_CXX_FLAGS="$(flag CPPFLAGS) $(flag CXXFLAGS)"
           -DCMAKE_EXE_LINKER_FLAGS="$(flag LDFLAGS)")
fi
# Ninja for a new build folder: make's own bookkeeping costs a fifth of a full build more.
generator=()
if [ ! -f "$build/CMakeCache.txt" ] && command -v ninja >/dev/null; then
    generator=(-G Ninja)
fi
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# cpack installs what is built already: it builds nothing itself.
cmake -S "$root" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${flags[@]}" \
      "${launcher[@]}" -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
targets=()
for target in "$@"; do
    targets+=(--target "$target")
done
cmake --build "$build" -j"$(nproc)" "${targets[@]}"
