# station-rig.sh: sourced by the run command, the end-to-end tests and the performance script.
# Sets up a station folder with the demo database and both emulators, starts the real station
# in it and drives its windows with real input events (xdotool) on the current X display.
# Everything a rig_ function starts is ended by rig_stop, which the caller traps on EXIT. The
# database is the demo file, or with rig_use_server a throw-away PostgreSQL server.
#
# Expects: RIG_BIN (the folder of the built binaries), RIG_DATA (the data/ folder),
# RIG_DIR (the station's working folder). RIG_SHOTS (a folder) turns on screenshots.

rig_scripts=$(dirname "${BASH_SOURCE[0]}")
rig_pids=()

rig_stop() {
    local pid
    for pid in "${rig_pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${rig_pids[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    rig_pids=()
    if [ -n "${RIG_PG_STATE:-}" ]; then
        bash "$rig_scripts/postgres-rig.sh" destroy "$RIG_PG_STATE" >/dev/null 2>&1 || true
        RIG_PG_STATE=
    fi
    # The PC/SC daemon goes last: the reader emulator and the station are its clients.
    if [ -n "${RIG_PCSC_STATE:-}" ]; then
        bash "$rig_scripts/pcsc-rig.sh" destroy "$RIG_PCSC_STATE" || true
        RIG_PCSC_STATE=
    fi
}

rig_fail() {
    echo "rig: $*" >&2
    return 1
}

# rig_wait SECONDS COMMAND...: retries COMMAND every 0.1 s until it succeeds or time is up.
# RIG_WAIT_HOOK, when set, is run between the tries (the soak serves its faults there).
rig_wait() {
    local limit=$(($1 * 10))
    shift
    local i
    for ((i = 0; i < limit; i++)); do
        "$@" && return 0
        [ -z "${RIG_WAIT_HOOK:-}" ] || "$RIG_WAIT_HOOK"
        sleep 0.1
    done
    return 1
}

# The demo database (made anew when RIG_FRESH_DB=1) and the COM names: the balance the station
# polls on COM1, the balance of the terminal window on COM2, the reader on COM3; COM4 leads
# nowhere, so no real port is probed.
rig_prepare() {
    mkdir -p "$RIG_DIR/dosdevices"
    if [ "${RIG_FRESH_DB:-0}" = 1 ] || [ ! -f "$RIG_DIR/藥袋正規化.db" ]; then
        (cd "$RIG_DIR" && "$RIG_BIN/demo-db-maker" --force --catalogue "$RIG_DATA/transponders.tsv" \
            ${RIG_DB_OPTIONS:-}) >/dev/null || rig_fail "the demo database could not be made"
    fi
    rig_port_nowhere 4
}

# The demo database on a throw-away PostgreSQL server of its own instead of the file, named in
# the station's INI file; RIG_CONNINFO reaches it.
rig_use_server() {
    RIG_PG_STATE=$RIG_DIR/pg
    mkdir -p "$RIG_DIR/dosdevices"
    bash "$rig_scripts/postgres-rig.sh" start "$RIG_PG_STATE" >/dev/null ||
        { rig_fail "the server did not start"; return 1; }
    RIG_CONNINFO=$(cat "$RIG_PG_STATE.conninfo")
    "$RIG_BIN/demo-db-maker" --server "$RIG_CONNINFO" --catalogue "$RIG_DATA/transponders.tsv" \
        ${RIG_DB_OPTIONS:-} >/dev/null || { rig_fail "the demo database could not be made on the server"; return 1; }
    printf '[Database]\nPostgreSQL=%s\n' "$RIG_CONNINFO" >>"$RIG_DIR/ZQKRT_Tovrel.ini"
    rig_port_nowhere 4
}

# rig_port_nowhere N: COMn leads nowhere.
rig_port_nowhere() {
    [ -L "$RIG_DIR/dosdevices/com$1" ] || ln -s /nonexistent "$RIG_DIR/dosdevices/com$1"
}

# rig_run_emulator NAME PROGRAM [options...]: takes commands on NAME.sock once it is ready.
rig_run_emulator() {
    local name=$1 program=$2
    shift 2
    rm -f "$RIG_DIR/$name.sock"
    "$RIG_BIN/$program" --control "$RIG_DIR/$name.sock" "$@" </dev/null >"$RIG_DIR/$name.log" 2>&1 &
    rig_pids+=($!)
    rig_wait 30 grep -qs '^ready' "$RIG_DIR/$name.log" ||
        rig_fail "$program $* did not start: $(cat "$RIG_DIR/$name.log")"
}

# rig_start_emulator NAME PROGRAM COMn [options...]: serves COMn, takes commands on NAME.sock.
rig_start_emulator() {
    local name=$1 program=$2 port=$3
    shift 3
    rig_run_emulator "$name" "$program" --port "$port" --dir "$RIG_DIR" "$@"
}

rig_start_balances() {
    rig_start_emulator balance-polled balance-emulator COM1 &&
        rig_start_emulator balance balance-emulator COM2
}

rig_start_emulators() {
    rig_start_balances &&
        rig_start_emulator reader reader-emulator COM3 --catalogue "$RIG_DATA/transponders.tsv"
}

# A private PC/SC daemon, which rig_stop removes; what is started after it (the station) finds
# it through PCSCLITE_CSOCK_NAME, the reader emulator's card face through STATION_VPCD_PORT.
rig_start_pcsc() {
    RIG_PCSC_STATE=$RIG_DIR/pcsc-rig
    bash "$rig_scripts/pcsc-rig.sh" start "$RIG_PCSC_STATE" >"$RIG_DIR/pcsc-rig.log" 2>&1 ||
        { rig_fail "the PC/SC daemon did not start: $(cat "$RIG_DIR/pcsc-rig.log")"; return 1; }
    set -a
    source "$RIG_PCSC_STATE.env"
    set +a
}

# The reader as a PC/SC reader only, on the daemon of rig_start_pcsc: no serial line.
rig_start_pcsc_reader() {
    rig_run_emulator reader reader-emulator --pcsc "127.0.0.1:$STATION_VPCD_PORT" \
        --catalogue "$RIG_DATA/transponders.tsv"
}

rig_reader() { "$RIG_BIN/emulator-control" "$RIG_DIR/reader.sock" "$@" >/dev/null; }
rig_balance() { "$RIG_BIN/emulator-control" "$RIG_DIR/balance.sock" "$@" >/dev/null; }
# rig_requests NAME: the requests the balance emulator NAME has answered so far.
rig_requests() {
    "$RIG_BIN/emulator-control" "$RIG_DIR/$1.sock" status | awk '$1 == "requests" { print $2 }'
}

rig_start_panel() {
    "$RIG_BIN/bench-panel" --reader-control "$RIG_DIR/reader.sock" \
        --balance-control "$RIG_DIR/balance.sock" --catalogue "$RIG_DATA/transponders.tsv" \
        --at-right >"$RIG_DIR/bench-panel.log" 2>&1 &
    rig_pids+=($!)
}

# Starts the station in its folder; RIG_STATION_PID is its process.
rig_start_station() {
    (cd "$RIG_DIR" && exec "$RIG_BIN/dispensing-station") >"$RIG_DIR/station.log" 2>&1 &
    RIG_STATION_PID=$!
    rig_pids+=("$RIG_STATION_PID")
}

rig_station_running() { kill -0 "$RIG_STATION_PID" 2>/dev/null; }

# rig_window TITLE: prints the id of the visible window of that title, waiting up to 60 s.
rig_window() {
    rig_wait 60 rig_find_window "$1" >/dev/null || { rig_fail "no window \"$1\""; return 1; }
    rig_find_window "$1"
}
# Whole outputs are read before they are searched: the callers may run with pipefail.
rig_find_window() {
    local ids
    ids=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null)
    [ -n "$ids" ] && echo "${ids%%$'\n'*}"
}
rig_window_shown() { rig_find_window "$1" >/dev/null; }
rig_window_gone() { ! rig_window_shown "$1"; }

# rig_click WINDOW X Y: a real click at a point of the window's inside.
rig_click() {
    xdotool windowactivate --sync "$1" 2>/dev/null || true
    xdotool mousemove --window "$1" "$2" "$3" click 1
}

rig_key() {
    xdotool windowactivate --sync "$1" 2>/dev/null || true
    xdotool key --clearmodifiers "${@:2}"
}

# rig_shot NAME: the whole screen into RIG_SHOTS/NAME.png, when screenshots are on.
rig_shot() {
    [ -n "${RIG_SHOTS:-}" ] || return 0
    mkdir -p "$RIG_SHOTS"
    import -window root "$RIG_SHOTS/$1.png"
}

# Whether a window shows a colour, as "#rrggbb" (e.g. the search's green "Found Reader").
rig_window_shows_colour() {
    local pixels
    pixels=$(import -window "$1" -depth 8 txt:- 2>/dev/null)
    grep -qi "$2" <<<"$pixels"
}

rig_journal() { cat "$RIG_DIR/配藥紀錄.txt" 2>/dev/null || true; }
rig_journal_count() { rig_journal | awk -F'\t' -v e="$1" '$2 == e { n++ } END { print n + 0 }'; }
rig_journal_has() { [ "$(rig_journal_count "$1")" -ge "$2" ]; }

# A statement on the demo database, rows as tab-separated lines; bounded, as the rig's own faults
# may stall the database.
rig_sql() {
    if [ -n "${RIG_CONNINFO:-}" ]; then
        PGCONNECT_TIMEOUT=5 timeout 20 psql "$RIG_CONNINFO" -X -q -A -t -F $'\t' -v ON_ERROR_STOP=1 -c "$1"
    else
        timeout 20 sqlite3 -batch -noheader -separator $'\t' -cmd '.timeout 5000' "$RIG_DIR/藥袋正規化.db" "$1"
    fi
}
