#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a temporary root and runs what it installed:
# quillcast-send --version, and quillcast without a screen, which must find its help pages
# in the unpacked tree.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
deb="$("$root/scripts/package.sh" | tail -n1)"
unpacked="$(mktemp -d)"
pid=""
# The program started last is stopped here; its status (killed) is not the script's.
cleanup() {
    if [ -n "$pid" ]; then
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
    rm -rf "$unpacked"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

echo "package: $deb"
dpkg-deb --field "$deb" Package Version Architecture Depends
version="$(dpkg-deb --field "$deb" Version)"
depends="$(dpkg-deb --field "$deb" Depends)"
for lib in libqt6widgets6 libqt6serialport6 libqt6svg6 libc6; do
    [[ "$depends" == *"$lib"* ]] || fail "Depends lacks $lib"
done
if [ "$(id -u)" -eq 0 ]; then
    apt-get install --simulate "$deb" >/dev/null || fail "the dependencies cannot be installed"
fi

dpkg -x "$deb" "$unpacked"
bin="$unpacked/usr/bin"
for tool in quillcast-send quillcast-encoder-sim quillcast; do
    out="$(QT_QPA_PLATFORM=offscreen "$bin/$tool" --version)"
    echo "$out"
    [ "$out" = "$tool $version" ] || fail "$tool --version printed '$out'"
done

export QT_QPA_PLATFORM=offscreen
export XDG_CONFIG_HOME="$unpacked/config" HOME="$unpacked/home"
mkdir -p "$XDG_CONFIG_HOME" "$HOME"
helpfile="$("$bin/quillcast" --help-path)" || fail "quillcast finds no help pages: $helpfile"
[ "$helpfile" = "$unpacked/usr/share/quillcast/Help Files/Quillcast.htm" ] \
    || fail "quillcast uses the help pages at $helpfile"
echo "help pages: $helpfile"

# A first start without the splash window waits in the default-information dialog.
"$bin/quillcast" --no-splash > "$unpacked/quillcast.out" 2>&1 &
pid=$!
sleep 3
kill -0 "$pid" 2>/dev/null || { cat "$unpacked/quillcast.out" >&2; fail "quillcast ended by itself"; }
echo "quillcast --no-splash is running"
echo "package test passed"
