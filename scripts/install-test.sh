#!/usr/bin/env bash
# install-test.sh [BUILD_FOLDER]: installs the station's package as a pharmacy's IT would (apt-get
# install of the .deb that scripts/package.sh makes from BUILD_FOLDER, default build/), runs the
# demo of scripts/run.sh on the installed programs and data, checks the man page, the menu entry,
# each program's version and the reader library for other programs, then purges the package and
# looks for anything of it left.
# It installs and removes software on this machine: run it as root or with sudo.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
folder="${1:-build}"
name=dispensing-station
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
apt() { DEBIAN_FRONTEND=noninteractive $sudo apt-get -y -qq "$@" >/dev/null; }
installed() { dpkg-query -W -f='${Status}' "$name" 2>/dev/null | grep -q "install ok installed"; }
fail() {
    echo "install test: $*" >&2
    exit 1
}

scratch=$(mktemp -d)
# A failed check leaves nothing installed either.
trap 'installed && apt purge "$name"; rm -rf "$scratch"' EXIT

bash scripts/package.sh "$folder"
installed && apt purge "$name"
apt install "$(realpath "$folder"/package/${name}_*.deb)"
dpkg -L "$name" >"$scratch/files"
version=$(dpkg-query -W -f='${Version}' "$name")
echo "Installed $name $version: $(wc -l <"$scratch/files") paths"

echo "-- the demo on the installed programs"
env -u DISPLAY -u WAYLAND_DISPLAY STATION_BIN_DIR=/usr/bin STATION_DATA_DIR="/usr/share/$name" \
    bash scripts/run.sh | tee "$scratch/demo" || fail "the demo failed"
grep -q '配藥完成' "$scratch/demo" || fail "the demo stored no line"
! grep -q 'not dispensed' "$scratch/demo" || fail "the demo left a line of its order"

echo "-- man pages, the menu entry, versions"
# Outputs are read whole before they are searched: a search that stops early breaks the pipe.
page=$(man -P cat "$name" 2>&1) || fail "man $name: $page"
[[ $page == *"$name"* ]] || fail "man $name shows no page of it"
entry=/usr/share/applications/$name.desktop
desktop-file-validate "$entry" || fail "$entry is not a valid desktop entry"
# What the entry starts and shows must be there too.
command=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
command -v "$command" >/dev/null || fail "the menu entry starts \"$command\", which is not installed"
icon=$(sed -n 's/^Icon=//p' "$entry")
[ -f "/usr/share/icons/hicolor/48x48/apps/$icon.png" ] || fail "the menu entry's icon $icon is missing"
while read -r program; do
    shown=$(QT_QPA_PLATFORM=offscreen "$program" --version </dev/null 2>&1) ||
        fail "$program --version failed"
    [[ $shown == *"$version"* ]] || fail "$program --version shows \"$shown\", not $version"
done < <(grep '^/usr/bin/' "$scratch/files")

echo "-- the reader library from another program"
cat >"$scratch/reader.c" <<'PROGRAM'
#include <stdio.h>
#include <string.h>
#include <zqcom.h>
#include <zqkrt.h>
int main(void) {
    char value[ZQKRT_VALUE_BUFFER_SIZE] = "";
    const int32_t reader = ZQKRT_NewReader(0);
    const int32_t status = reader > 0 ? ZQKRT_GetReaderPara(reader, "LogProt", value) : reader;
    printf("reader %d, LogProt \"%s\", status %d\n", reader, value, status);
    return status == ZQKRT_OK && strcmp(value, "0") == 0 ? 0 : 1;
}
PROGRAM
# Word splitting of pkg-config's flags is meant.
# shellcheck disable=SC2046
cc -Wall -Werror $(pkg-config --cflags zqreader) "$scratch/reader.c" -o "$scratch/reader" \
    $(pkg-config --libs zqreader)
"$scratch/reader" || fail "a program on the installed library failed"

echo "-- purge"
apt purge "$name"
while read -r path; do
    [ "$path" != /. ] || continue
    [ -e "$path" ] || [ -L "$path" ] || continue
    # A folder shared with other packages stays.
    [ -d "$path" ] && [ ! -L "$path" ] && dpkg-query -S "$path" >/dev/null 2>&1 && continue
    echo "left after the purge: $path" >&2
    left=1
done <"$scratch/files"
[ -z "${left:-}" ] || fail "the purge left files of the package"
echo "The package installed, ran the demo and was purged without a trace."
