#!/usr/bin/env bash
# Installs the Debian packages Quillcast builds and tests with, and any named on the command
# line, when one is missing.
set -euo pipefail
packages=(build-essential cmake ninja-build qt6-base-dev qt6-serialport-dev qt6-svg-dev libgl-dev
          help2man desktop-file-utils appstream shared-mime-info libxml2-utils ser2net "$@")
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo_cmd=()
    [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y "${missing[@]}"
fi
