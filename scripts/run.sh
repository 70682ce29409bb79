#!/usr/bin/env bash
# Builds the station and runs it with its embedded defaults in build/station/: the demo
# database, a reader emulator, two balance emulators and the bench panel that drives them.
# Without a display it runs the demo on a virtual display instead and prints its outcome;
# `run.sh --vnc` serves the windows over VNC for a viewer (station :5900, bench panel :5901).
# STATION_BIN_DIR runs the programs of another folder instead of building them (the install test:
# /usr/bin), STATION_DATA_DIR names their data folder (default data/).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

bash scripts/setup.sh --run
if [ -n "${STATION_BIN_DIR:-}" ]; then
    bin=$STATION_BIN_DIR
else
    bash scripts/build.sh build -DSTATION_BUILD_TESTS=OFF
    bin="$root/build/bin"
fi
data=${STATION_DATA_DIR:-$root/data}

if [ "${1:-}" != --vnc ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: running the demo on a virtual display (run.sh --vnc to click yourself)."
    exec bash scripts/with-window-manager.sh bash scripts/demo.sh "$bin" "$root/build/demo" "$data"
fi

export RIG_BIN="$bin" RIG_DATA="$data" RIG_DIR="$root/build/station"
source scripts/rig/station-rig.sh
# Ending the station, a crash of it, Ctrl-C or a kill of this script ends everything it started.
trap rig_stop EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
mkdir -p "$RIG_DIR"
rig_prepare
rig_start_emulators
if [ "${1:-}" = --vnc ]; then
    echo "The station shows itself over VNC on localhost:5900, the bench panel on localhost:5901."
    QT_QPA_PLATFORM="vnc:size=1280x800:port=5901" rig_start_panel
    export QT_QPA_PLATFORM="vnc:size=1280x800"
else
    rig_start_panel
fi
rig_start_station
status=0
wait "$RIG_STATION_PID" || status=$?
[ "$status" -eq 0 ] || echo "The station ended with status $status; its log: $RIG_DIR/station.log"
exit "$status"
