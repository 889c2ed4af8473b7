#!/bin/sh
# check_options.sh PROGRAM PAGE.gz: fails when an option that PROGRAM --help lists is not an
# entry of the manual page PAGE.gz (a line of its own, as man shows an option).
set -eu
program=$1
page=$2
options=$(QT_QPA_PLATFORM=offscreen "$program" --help |
    sed -n 's/^  \(-[^ ,]*, \)*\(--[a-z][a-z0-9-]*\).*/\2/p')
[ -n "$options" ] || { echo "$program --help lists no options"; exit 1; }
# The page's lines as man reads them: "\-" is "-", and font changes are dropped.
entries=$(gzip -dc "$page" | sed 's/\\-/-/g; s/\\f[BIRP]//g')
status=0
for option in $options; do
    if ! printf '%s\n' "$entries" | grep -Eq -- "^(-[^ ,]+, )*$option( |,|=|\$)"; then
        echo "$page lacks $option"
        status=1
    fi
done
exit $status
