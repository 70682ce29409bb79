#!/usr/bin/env bash
# Installs what building, testing and running the station need, from Debian's packages.
set -euo pipefail

packages=(
    cmake make g++ clang libclang-rt-dev clang-format pkg-config ccache
    qt6-base-dev qt6-base-dev-tools qt6-l10n-tools qt6-tools-dev libqt6sql6-sqlite libgl-dev
    libbenchmark-dev fonts-noto-cjk xvfb xauth openbox x11-utils xdotool imagemagick sqlite3 libxcb1-dev
    postgresql libqt6sql6-psql libpq-dev
    pcscd libpcsclite-dev vsmartcard-vpcd pcsc-tools iproute2 procps
    chromium poppler-utils python3
    help2man librsvg2-bin
    dpkg-dev file lintian desktop-file-utils man-db
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done

if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
