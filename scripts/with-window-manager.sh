#!/usr/bin/env bash
# with-window-manager.sh COMMAND...: runs COMMAND on a virtual X display of its own, managed by
# a window manager that puts frames around windows, as a pharmacist's desktop does.
set -euo pipefail
scratch="$(mktemp -d)"
cleanup() {
    kill "${manager:-}" "${server:-}" 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$scratch/display" 2>"$scratch/xvfb.log" &
server=$!
for _ in $(seq 100); do [ -s "$scratch/display" ] && break; sleep 0.1; done
[ -s "$scratch/display" ] || { cat "$scratch/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(cat "$scratch/display")"

openbox --sm-disable >"$scratch/wm.log" 2>&1 &
manager=$!
# The manager is up once it has announced itself on the root window.
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done

QT_QPA_PLATFORM=xcb "$@"
