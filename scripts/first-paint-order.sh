#!/usr/bin/env bash
# Writes src/first-paint-functions.txt: the functions of Quillcast's own code that run before the
# main window's first paint, which the build links side by side (see the top CMakeLists). Spread
# over the whole code, as the compiler leaves them, they make the system read in nearly all of it
# (it maps code in blocks of 64 KB around each page used): half a megabyte more memory before the
# window is there.
#
# Run it when what the window does before its first paint changes: bench_startup's "own code"
# figure grows when the list is out of date. A function the list names that no longer exists
# costs nothing. Needs valgrind and xvfb-run (Debian: valgrind xvfb xauth).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${QUILLCAST_BUILD_DIR:-$root/build}"
"$root/scripts/build.sh" bench_startup
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The window as it comes on every start after the first: with the plant's defaults stored.
mkdir -p "$work/config"
printf '[Default%%20Info]\nNetwork%%20Name=Quill Network\nCall%%20Letters=KQIL\nTSID=1234\n' \
    >"$work/config/Orvane-Quillcast.conf"
XDG_CONFIG_HOME="$work/config" xvfb-run -a valgrind --tool=callgrind --demangle=no \
    --callgrind-out-file="$work/profile" "$build/bench/bench_startup" --role main >/dev/null 2>&1

# The profile names each object, file and function once, with a number, then by number only.
# Kept: the C++ functions of the program (not the benchmark's own) that ran, by the names of their
# sections; a constructor or destructor that ran under its complete-object name (C1, D1) has its
# code under its base-object name (C2, D2), which is listed too.
awk '
function named(map, spec,    id, rest) {
    id = spec; sub(/\).*/, "", id); sub(/^\(/, "", id)
    rest = spec; sub(/^\([0-9]+\) ?/, "", rest)
    if (rest != "") map[id] = rest
    return map[id]
}
/^c?ob=/ { value = substr($0, index($0, "=") + 1); o = named(objects, value); if ($0 ~ /^ob=/) object = o; next }
/^(fl|fi|fe|cfi|cfl)=/ { value = substr($0, index($0, "=") + 1); f = named(files, value); if ($0 ~ /^fl=/) file = f; next }
/^c?fn=/ {
    value = substr($0, index($0, "=") + 1); name = named(functions, value)
    if ($0 !~ /^fn=/ || object !~ /\/bench_startup$/ || file ~ /(^|\/)bench\// || name !~ /^_Z/)
        next
    sub(/\047.*/, "", name)
    keep[name] = 1
    other = name
    if (sub(/C1E/, "C2E", other) || sub(/D1E/, "D2E", other) || sub(/C1I/, "C2I", other))
        keep[other] = 1
}
END { for (name in keep) print name }
' "$work/profile" | LC_ALL=C sort >"$work/functions"

{
    echo "# The functions that run before the main window's first paint, which the build links side"
    echo "# by side. Written by scripts/first-paint-order.sh: do not edit."
    cat "$work/functions"
} >"$root/src/first-paint-functions.txt"
echo "first-paint-order: $(wc -l <"$work/functions") functions in src/first-paint-functions.txt"
