#!/usr/bin/env bash
# setup.sh [--run | --test]: installs from Debian's packages what building the station and running
# it with its demo need (--run, for scripts/run.sh), or that and what the tests, the benchmarks,
# the fuzzer and the package need (--test, the default).
set -euo pipefail

run_packages=(
    # The build.
    cmake make g++ ccache qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-l10n-tools libgl-dev
    libpq-dev libpcsclite-dev help2man librsvg2-bin
    # The station, its emulators and bench panel, and the demo on a virtual display.
    libqt6sql6-sqlite fonts-noto-cjk xvfb openbox x11-utils xdotool imagemagick sqlite3
)
test_packages=(
    clang libclang-rt-dev clang-format pkg-config libbenchmark-dev libxcb1-dev
    postgresql libqt6sql6-psql
    pcscd vsmartcard-vpcd pcsc-tools iproute2 procps
    chromium poppler-utils python3
    dpkg-dev file lintian desktop-file-utils man-db
)

case "${1:---test}" in
--run) packages=("${run_packages[@]}") ;;
--test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
*)
    echo "usage: $0 [--run | --test]" >&2
    exit 2
    ;;
esac

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
    # Without a sync after every file unpacked: a machine's first install takes a third less time,
    # and several times less on a disk busy with other writes.
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
        -o Dpkg::Options::=--force-unsafe-io "${missing[@]}"
fi
