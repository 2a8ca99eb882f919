#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, and any further packages
# named as arguments (the benchmarks' tools), skipping those already installed.
set -euo pipefail
packages=(
    build-essential cmake pkg-config clang-format clang libclang-rt-14-dev
    qt6-base-dev qt6-base-dev-tools qt6-image-formats-plugins qt6-svg-dev libqt6svg6
    qt6-qpa-plugins libgl-dev libjpeg62-turbo-dev libpng-dev libtiff-dev zlib1g-dev
    libheif-dev libjxl-dev
    libgtest-dev googletest fonts-dejavu-core
    librsvg2-bin dpkg-dev file desktop-file-utils appstream
    llvm-14 locales-all
    "$@"
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
