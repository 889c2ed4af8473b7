#!/bin/sh
# check_types.sh DEFINITION.xml SAVED.qcf: the file-type definition is well-formed XML that
# update-mime-database compiles without a complaint, beside the system's own types, into both
# types, and the compiled magic holds the first six bytes of a configuration Quillcast saved.
set -eu
definition=$1
saved=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
xmllint --noout "$definition"
mkdir -p "$scratch/mime/packages"
cp /usr/share/mime/packages/freedesktop.org.xml "$scratch/mime/packages/"
cp "$definition" "$scratch/mime/packages/"
# (In the search path, or it says that it is not.)
XDG_DATA_DIRS="$scratch" update-mime-database "$scratch/mime" > "$scratch/out" 2>&1
if [ -s "$scratch/out" ]; then
    cat "$scratch/out"
    exit 1
fi
for type in application/x-quillcast-configuration text/x-quillcast-encoder-list; do
    grep -qx "$type" "$scratch/mime/types" || { echo "$type is not compiled"; exit 1; }
done
hex() { od -An -tx1 "$@" | tr -d ' \n'; }
case "$(hex "$scratch/mime/magic")" in
*"$(hex -N6 "$saved")"*) ;;
*) echo "the compiled magic lacks the first bytes of $saved"; exit 1 ;;
esac
