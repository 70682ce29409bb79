#!/usr/bin/env bash
# demo.sh BIN_DIR WORK_DIR [DATA_DIR]: the demo on the current X display, as a person would do it
# at the station, with a demo database made anew; prints which lines were stored and where the
# screenshots of each step are. DATA_DIR holds the transponder catalogue (default data/).
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
export RIG_BIN=$1 RIG_DIR=$2 RIG_DATA="${3:-$root/data}" RIG_FRESH_DB=1 RIG_SHOTS="$2/screenshots"
source "$root/scripts/rig/station-rig.sh"
source "$root/scripts/rig/demo-scenario.sh"
trap rig_stop EXIT

mkdir -p "$RIG_DIR"
rm -rf "$RIG_SHOTS" "$RIG_DIR/配藥紀錄.txt"
rig_prepare && rig_start_emulators || exit 1
rig_start_station
echo "The station runs on a virtual display; the demo clicks through it."
if demo_run; then
    outcome=0
    echo "The demo dispensed an order:"
else
    outcome=1
    echo "The demo stopped early (the station's log: $RIG_DIR/station.log)."
fi
[ -n "${DEMO_ORDER:-}" ] && demo_outcome
echo "Screenshots of each step: $RIG_SHOTS"
echo "The station's journal: $RIG_DIR/配藥紀錄.txt"
exit $outcome
