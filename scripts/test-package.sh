#!/usr/bin/env bash
# Builds the Debian package and checks it: lintian reports no error and no warning; unpacked
# into a temporary root, the three programs run and quillcast finds its help pages there; as
# root, the package installs with apt-get, runs from /usr/bin, and removes and purges without
# leaving anything of it behind; installed, the system knows its file types and opens them with
# Quillcast.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
# xdg-mime asks File::MimeInfo's mimetype (libfile-mimeinfo-perl) for a file's type when no
# desktop session runs, as here.
"$root/scripts/setup-deps.sh" lintian xdg-utils libfile-mimeinfo-perl >&2
deb="$("$root/scripts/package.sh" | tail -n1)"
scratch="$(mktemp -d)"
pid=""
# The program started last is stopped here; its status (killed) is not the script's.
stop() {
    if [ -n "$pid" ]; then
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
        pid=""
    fi
}
trap 'stop; rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
export QT_QPA_PLATFORM=offscreen
export XDG_CONFIG_HOME="$scratch/config" HOME="$scratch/home"
mkdir -p "$XDG_CONFIG_HOME" "$HOME"

echo "package: $deb"
dpkg-deb --field "$deb" Package Version Architecture Depends
version="$(dpkg-deb --field "$deb" Version)"
depends="$(dpkg-deb --field "$deb" Depends)"
for lib in libqt6widgets6 libqt6serialport6 libqt6svg6 libc6; do
    [[ "$depends" == *"$lib"* ]] || fail "Depends lacks $lib"
done

echo "lintian:"
lintian --display-info "$deb" > "$scratch/lintian.out" 2>&1 || true
cat "$scratch/lintian.out"
if grep -Eq '^(E|W): ' "$scratch/lintian.out"; then
    fail "lintian reports errors or warnings"
fi

# checkPrograms BINDIR HELPFILE: --version of the three programs, the help pages quillcast
# uses, and a first start without the splash window, which waits in the default-information
# dialog.
checkPrograms() {
    local bin="$1" expected="$2" out helpfile
    for tool in quillcast-send quillcast-encoder-sim quillcast; do
        out="$("$bin/$tool" --version)"
        echo "$out"
        [ "$out" = "$tool $version" ] || fail "$tool --version printed '$out'"
    done
    helpfile="$("$bin/quillcast" --help-path)" || fail "quillcast finds no help pages: $helpfile"
    [ "$helpfile" = "$expected" ] || fail "quillcast uses the help pages at $helpfile"
    echo "help pages: $helpfile"
    "$bin/quillcast" --no-splash > "$scratch/quillcast.out" 2>&1 &
    pid=$!
    sleep 3
    kill -0 "$pid" 2>/dev/null || { cat "$scratch/quillcast.out" >&2; fail "quillcast ended by itself"; }
    echo "quillcast --no-splash is running"
    stop
}

echo "unpacked:"
dpkg -x "$deb" "$scratch/root"
checkPrograms "$scratch/root/usr/bin" "$scratch/root/usr/share/quillcast/Help Files/Quillcast.htm"

if [ "$(id -u)" -ne 0 ]; then
    echo "package test passed (install and removal need root: not checked)"
    exit 0
fi
status() { dpkg-query -W -f='${db:Status-Status}' quillcast 2>/dev/null || true; }
[ "$(status)" != installed ] || fail "quillcast is installed already; the check would remove it"
echo "installed:"
apt-get install -y "$(realpath "$deb")" >&2
dpkg -L quillcast > "$scratch/files"
checkPrograms /usr/bin "/usr/share/quillcast/Help Files/Quillcast.htm"

# The file types, as the desktop sees them once Debian's triggers have rebuilt the MIME database
# and the desktop entries' cache: a configuration is known by its first bytes even without its
# extension, and Quillcast is the program that opens it.
echo "file types:"
types="$scratch/types"
mkdir -p "$types"
cp "$root/tests/data/inserted.qcf" "$types/station.qcf"
cp "$root/tests/data/inserted.qcf" "$types/station-without-extension"
printf '[Studio A]\ndevice=/dev/ttyUSB0\n' > "$types/plant.encoders.ini"
expectType() {
    local found
    found="$(xdg-mime query filetype "$types/$1")"
    echo "$1: $found"
    [ "$found" = "$2" ] || fail "$1 is taken for $found, not $2"
}
expectType station.qcf application/x-quillcast-configuration
expectType station-without-extension application/x-quillcast-configuration
expectType plant.encoders.ini text/x-quillcast-encoder-list
for type in application/x-quillcast-configuration text/x-quillcast-encoder-list; do
    opener="$(xdg-mime query default "$type")"
    echo "$type opens with: $opener"
    [ "$opener" = com.orvane.Quillcast.desktop ] || fail "$type opens with '$opener'"
done

echo "removed and purged:"
apt-get remove -y quillcast >&2
# Nothing of it is kept as configuration, so dpkg may have forgotten it already.
dpkg --purge quillcast >&2
[ -z "$(status)" ] || [ "$(status)" = not-installed ] || fail "quillcast is still known: $(status)"
# What is left of the listed paths must be folders others use: owned by another package, or
# holding files of others.
left=0
while IFS= read -r path; do
    [ -e "$path" ] || [ -L "$path" ] || continue
    if [ -d "$path" ] && [ ! -L "$path" ] &&
        { dpkg -S "$path" >/dev/null 2>&1 || [ -n "$(ls -A "$path")" ]; }; then
        continue
    fi
    echo "left behind: $path" >&2
    left=1
done < "$scratch/files"
[ "$left" -eq 0 ] || fail "the removal left files of quillcast behind"
# The MIME database was rebuilt without the types (by the trigger, as on install).
[ ! -e /usr/share/mime/application/x-quillcast-configuration.xml ] ||
    fail "the MIME database still knows application/x-quillcast-configuration"
echo "$(wc -l < "$scratch/files") listed paths: none left behind"
echo "package test passed"
