#!/usr/bin/env bash
# Builds the station and runs it with its embedded defaults: the demo database and the emulated
# reader, set up in build/station/, the station's working directory.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

bash scripts/setup.sh
bash scripts/build.sh build -DDSP_BUILD_TESTS=OFF
bin="$root/build/bin"

workdir="$root/build/station"
mkdir -p "$workdir"
cd "$workdir"

[ -f 藥袋正規化.db ] || "$bin/demo-db-maker" --catalogue "$root/data/transponders.tsv"

# The demo's other COM names lead nowhere, so the reader search at every show of the main window
# probes no real port; a link someone made stays.
mkdir -p dosdevices
for port in 2 4; do
    [ -L "dosdevices/com$port" ] || ln -s /nonexistent "dosdevices/com$port"
done

# The reader stands on COM3; lines written to reader-control reach it as control commands,
# e.g. echo "place E004015012345678" > build/station/reader-control
rm -f reader-control
mkfifo reader-control
exec 3<>reader-control
"$bin/reader-emulator" --port COM3 --dir "$workdir" --catalogue "$root/data/transponders.tsv" \
    <&3 >reader-emulator.log 2>&1 &
emulator=$!
# The balance the station polls stands on COM1; its control socket build/station/balance.sock
# takes commands such as "weight 12.34" (docs/balance-emulator.md).
"$bin/balance-emulator" --port COM1 --dir "$workdir" --control "$workdir/balance.sock" \
    </dev/null >balance-emulator.log 2>&1 &
balance=$!
trap 'kill "$emulator" "$balance" 2>/dev/null || true; rm -f reader-control' EXIT

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: the station shows itself over VNC; connect a viewer to localhost:5900."
    export QT_QPA_PLATFORM="vnc:size=1280x800"
fi
"$bin/dispensing-station"
