#!/usr/bin/env bash
# Builds the station and runs it with its embedded defaults.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

bash scripts/setup.sh
bash scripts/build.sh build -DDSP_BUILD_TESTS=OFF

workdir="$root/build/station"
mkdir -p "$workdir"
cd "$workdir"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: the station shows itself over VNC; connect a viewer to localhost:5900."
    export QT_QPA_PLATFORM="vnc:size=1280x800"
fi
exec "$root/build/bin/dispensing-station"
