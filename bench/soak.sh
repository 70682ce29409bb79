#!/usr/bin/env bash
# soak.sh --minutes N [--server] [--seed S] [--bin DIR] [--output FILE]: the station's reliability
# figure. The real station with the real emulators, on a virtual display, dispenses order after
# order of a large demo day (right containers with weights, foreign containers, containers of
# lines already done, orders stopped half-way with "中止配藥" and opened again) while faults come
# at random from a seeded list: the reader's noise, garbage, silence and hang-up; the balances'
# garbage, flood, unstable readings and hang-up; the station killed and started again; with
# --server the database is a PostgreSQL server of the script's own, stopped and started, its
# processes paused, or its order lines locked from another session.
#
# At the end it checks that nothing was lost or invented (the database whole; every line the
# journal reports stored is stored and every line stored was reported; no line stored for
# another drug's container; none stored twice) and that the windows never went unanswered for
# longer than the statement bound and a second (bench/window-ping, from outside). It prints a
# table of what it did (also into FILE) and exits non-zero on any loss. DIR is the bin folder of
# a build with the tests on.
set -uo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
bin="$root/build/bin"
minutes=""
server=0
seed=""
output=""
statement_bound=5
arguments=("$@")

log() { echo "soak: $*" >&2; }
fail() {
    log "$*"
    exit 1
}

while [ $# -gt 0 ]; do
    case "$1" in
    --minutes) minutes="${2:?--minutes takes a number}" && shift 2 ;;
    --server) server=1 && shift ;;
    --seed) seed="${2:?--seed takes a number}" && shift 2 ;;
    --bin) bin="$(cd "${2:?--bin takes a folder}" && pwd)" && shift 2 ;;
    --output) output="${2:?--output takes a file}" && shift 2 ;;
    *) fail "unknown option $1 (options: --minutes N, --server, --seed S, --bin DIR, --output FILE)" ;;
    esac
done
[[ "$minutes" =~ ^[0-9]+$ ]] && [ "$minutes" -ge 1 ] || fail "--minutes takes whole minutes, at least 1"
[ -z "$seed" ] && seed=$((RANDOM * 32768 + RANDOM))
[[ "$seed" =~ ^[0-9]+$ ]] || fail "--seed takes a whole number"
for program in dispensing-station reader-emulator balance-emulator emulator-control demo-db-maker window-ping; do
    [ -x "$bin/$program" ] || fail "$bin/$program is missing (build with -DSTATION_BUILD_TESTS=ON)"
done

# The windows need a display of their own, with a window manager as on a pharmacist's desk.
if [ -z "${SOAK_ON_DISPLAY:-}" ]; then
    export SOAK_ON_DISPLAY=1
    exec "$root/scripts/with-window-manager.sh" bash "$0" "${arguments[@]}"
fi

export LC_ALL=C.UTF-8
work=$(mktemp -d /tmp/station-soak.XXXXXX)
export RIG_BIN="$bin" RIG_DATA="$root/data" RIG_DIR="$work/station"
RIG_DB_OPTIONS="--orders 1400 --seed $seed"
source "$root/scripts/rig/station-rig.sh"
source "$root/scripts/rig/demo-scenario.sh"
source "$root/bench/soak-faults.sh"
source "$root/bench/soak-checks.sh"

finish() {
    soak_end_faults
    soak_stop_pinger
    rig_stop
    [ "${keep_work:-0}" = 1 ] && log "the station's folder is kept in $work" || rm -rf "$work"
}
trap finish EXIT

RANDOM=$seed
now() { echo "${EPOCHSECONDS}"; }
# From the seeded sequence, in this shell (a subshell would draw from a sequence of its own):
# roll N sets rolled to a whole number 0..N-1; chance N succeeds once in N times.
roll() { rolled=$((RANDOM % $1)); }
chance() { ((RANDOM % $1 == 0)); }

# --- The database -----------------------------------------------------------------------------

mkdir -p "$RIG_DIR"
if [ "$server" = 1 ]; then
    rig_use_server || fail "the server's demo database could not be made"
    printf 'StatementTimeout=%s\n' "$statement_bound" >>"$RIG_DIR/ZQKRT_Tovrel.ini"
    pg_state=$RIG_PG_STATE
    conninfo=$RIG_CONNINFO
    soak_integrity() { rig_sql "SELECT count(*) FROM 領藥明細" >/dev/null && echo ok; }
else
    export RIG_FRESH_DB=1
    rig_prepare || fail "the station's folder could not be made"
    soak_integrity() { rig_sql 'PRAGMA integrity_check'; }
fi
# The lines stored before the soak, and each drug's container.
stored_before=$(soak_stored_lines) || fail "the database could not be read"
declare -A drug_serial
while IFS=$'\t' read -r drug serial; do drug_serial[$drug]=$serial; done \
    < <(rig_sql "SELECT 藥品名稱, SerialNumber FROM 藥品資料表")

# --- The station ------------------------------------------------------------------------------

rig_start_emulators || fail "the emulators did not start"

main_window=""
pinger_pid=""
pinger_longest=0
station_starts=0
rss_start=""

soak_start_pinger() {
    "$bin/window-ping" "$main_window" >"$work/ping.$station_starts" 2>&1 &
    pinger_pid=$!
}

# The longest wait of every pinger so far.
soak_stop_pinger() {
    [ -n "$pinger_pid" ] || return 0
    kill -TERM "$pinger_pid" 2>/dev/null
    wait "$pinger_pid" 2>/dev/null
    pinger_pid=""
    local longest
    longest=$(awk '$1 == "longest" { print $2 }' "$work/ping.$station_starts")
    [ -n "$longest" ] && [ "$longest" -gt "$pinger_longest" ] && pinger_longest=$longest
    grep -q "no answer" "$work/ping.$station_starts" && pinger_longest=999999
}

# No fault is served while the station comes up.
soak_start_station() {
    local hook=${RIG_WAIT_HOOK:-}
    station_starts=$((station_starts + 1))
    RIG_WAIT_HOOK=""
    rig_start_station
    demo_show_main_window && demo_open_balance_window || return 1
    RIG_WAIT_HOOK=$hook
    main_window=$(rig_find_window 藥師配藥系統) || return 1
    soak_start_pinger
    [ -n "$rss_start" ] || rss_start=$(awk '$1 == "VmRSS:" { print $2 }' "/proc/$RIG_STATION_PID/status")
}

# Error boxes carry the program's name, as the main window does: any other window of that name.
boxes_shown=0
soak_dismiss_boxes() {
    local id
    for id in $(xdotool search --onlyvisible --name '^藥師配藥系統$' 2>/dev/null); do
        [ "$id" = "$main_window" ] && continue
        boxes_shown=$((boxes_shown + 1))
        log "an error box shown${fault_active:+ during $fault_active}"
        rig_key "$id" Return
    done
}

# --- Dispensing -------------------------------------------------------------------------------

# Points of the main window (below its menu bar): the list's rows (16 pixels apart), the stop
# button.
LIST_POINT=(100 120)
STOP_POINT=(614 326)
ROW_PITCH=16
VISIBLE_ROWS=5

orders_stopped=0
foreign_placed=0
done_placed=0
laid_serial=""

soak_stop_order() {
    rig_click "$main_window" "${STOP_POINT[@]}"
}

# Scrolls the order list to a random place and clicks one of the rows shown; the journal tells
# which order opened.
soak_open_order() {
    rig_station_running || return 1
    soak_stop_order
    xdotool mousemove --window "$main_window" "${LIST_POINT[@]}" click --repeat 60 --delay 5 4 2>/dev/null
    roll 70
    [ "$rolled" -gt 0 ] && xdotool click --repeat "$rolled" --delay 5 5 2>/dev/null
    roll $VISIBLE_ROWS
    soak_click_row "$rolled"
}

soak_click_row() {
    local opened
    opened=$(rig_journal_count 開始配藥)
    last_row=$1
    rig_click "$main_window" "${DEMO_FIRST_ORDER_POINT[0]}" $((DEMO_FIRST_ORDER_POINT[1] + $1 * ROW_PITCH))
    rig_wait 20 rig_journal_has 開始配藥 $((opened + 1)) || return 1
    DEMO_DAY=$(rig_journal | awk -F'\t' '$2 == "開始配藥"' | tail -n1 | cut -f3)
    DEMO_ORDER=$(rig_journal | awk -F'\t' '$2 == "開始配藥"' | tail -n1 | cut -f4)
}

# soak_lay SERIAL SECONDS: a container on the reader for a while, watched for what it stores.
soak_lay() {
    local outcome=0
    laid_serial=$1
    rig_reader place "$1"
    soak_watch "$2" || outcome=1
    rig_reader clear
    soak_check_new_stores
    laid_serial=""
    return $outcome
}

# Waits up to SECONDS, serving the faults, until a store, a failed store or a completed order.
soak_watch() {
    local until=$(($(now) + $1)) stored failed
    stored=$(rig_journal_count 配藥完成)
    failed=$(rig_journal_count 存檔失敗)
    while [ "$(now)" -lt "$until" ]; do
        soak_tick
        rig_station_running || return 1
        [ "$(rig_journal_count 配藥完成)" -gt "$stored" ] && return 0
        [ "$(rig_journal_count 存檔失敗)" -gt "$failed" ] && { soak_dismiss_boxes; return 1; }
        soak_dismiss_boxes
        sleep 0.2
    done
    return 1
}

soak_dispense_order() {
    local lines item drug count=0 stop_after=-1 first_drug=""
    lines=$(rig_sql "SELECT 領藥明細.項次, 領藥明細.藥品名稱, COALESCE(領藥明細.配藥情況, '') FROM 領藥明細
             WHERE 領藥明細.配藥日期 = '$DEMO_DAY' AND 領藥明細.領藥序號 = '$DEMO_ORDER'
             ORDER BY 領藥明細.項次") || return 1
    # A foreign container, now and then.
    if chance 4; then
        foreign_placed=$((foreign_placed + 1))
        soak_lay "$DEMO_FOREIGN_UID" 2
    fi
    # A container of a line done before: nothing is stored for it.
    local done_line
    done_line=$(awk -F'\t' '$3 != "" { print $2 }' <<<"$lines" | head -n1)
    if [ -n "$done_line" ] && chance 2; then
        done_placed=$((done_placed + 1))
        soak_lay "${drug_serial[$done_line]}" 2
    fi
    local open_lines
    open_lines=$(awk -F'\t' '$3 == ""' <<<"$lines")
    [ -n "$open_lines" ] || return 0
    # Now and then the order is stopped after its first line and opened again.
    chance 6 && [ "$(wc -l <<<"$open_lines")" -gt 1 ] && stop_after=1
    while IFS=$'\t' read -r item drug _; do
        rig_station_running || return 1
        if [ "$count" = "$stop_after" ]; then
            local stopped
            stopped=$(rig_journal_count 中止配藥)
            soak_stop_order
            rig_wait 10 rig_journal_has 中止配藥 $((stopped + 1)) || return 1
            orders_stopped=$((orders_stopped + 1))
            soak_click_row "$last_row" || return 1
            done_placed=$((done_placed + 1))
            soak_lay "${drug_serial[$first_drug]}" 2
        fi
        roll 9000
        rig_balance weight "$((rolled / 100 + 1)).$(printf '%02d' $((rolled % 100)))" || true
        sleep 0.6
        soak_lay "${drug_serial[$drug]}" 15 || return 1
        [ -n "$first_drug" ] || first_drug=$drug
        count=$((count + 1))
    done <<<"$open_lines"
}

# --- The run ----------------------------------------------------------------------------------

log "seed $seed, $minutes min$([ "$server" = 1 ] && echo ", on a server")"
soak_start_station || fail "the station did not come up"
# From here on every wait serves the faults, not only the steps between them.
RIG_WAIT_HOOK=soak_tick
deadline=$(($(now) + minutes * 60))
soak_schedule_next_fault
# A killed station is started again, also when it was killed just before the end.
soak_restart_station() {
    soak_end_faults
    soak_stop_pinger
    wait "$RIG_STATION_PID" 2>/dev/null
    soak_start_station || { keep_work=1; fail "the station did not come up again"; }
}
while [ "$(now)" -lt "$deadline" ]; do
    soak_tick
    if ! rig_station_running; then
        soak_restart_station
        continue
    fi
    soak_dismiss_boxes
    soak_open_order && soak_dispense_order
done
soak_end_faults
rig_station_running || soak_restart_station
soak_dismiss_boxes
rss_end=$(awk '$1 == "VmRSS:" { print $2 }' "/proc/$RIG_STATION_PID/status")
soak_stop_order
soak_stop_pinger

soak_report
