# soak-faults.sh: sourced by soak.sh. Faults at random from a seeded list, one at a time, each
# lasting a few seconds; soak_tick starts and ends them between the steps of the dispensing.

fault_kinds=(reader-noise reader-garbage reader-silence reader-hangup
    balance-garbage balance-flood balance-unstable balance-hangup station-kill)
[ "$server" = 1 ] && fault_kinds+=(server-restart server-pause server-lock)
declare -A faults_injected
fault_active=""
fault_ends=0
next_fault=0
fault_balance=""
fault_mark=0
fault_started=0
fault_started_ms=0
lock_pid=""
# Milliseconds from a hang-up until the device was used again, and devices that did not come
# back.
longest_reader_return=0
longest_balance_return=0
devices_not_back=0
# The orders in hand when the station was killed: a line of theirs may be stored unreported.
killed_orders=()

now_ms() { echo $((${EPOCHREALTIME/./} / 1000)); }

soak_schedule_next_fault() {
    roll 15
    next_fault=$(($(now) + 6 + rolled))
}

soak_tick() {
    if [ -n "$fault_active" ] && soak_fault_over; then
        soak_end_fault
        soak_schedule_next_fault
    fi
    if [ -z "$fault_active" ] && [ "$(now)" -ge "$next_fault" ]; then
        roll ${#fault_kinds[@]}
        soak_start_fault "${fault_kinds[$rolled]}"
    fi
}

balance_control() { "$bin/emulator-control" "$RIG_DIR/$fault_balance.sock" "$@" >/dev/null; }
reader_returns() { rig_journal | awk -F'\t' '$2 == "設備恢復" && $3 == "讀取器"' | wc -l; }

soak_start_fault() {
    fault_active=$1
    fault_started=$(now)
    fault_started_ms=$(now_ms)
    roll 7
    fault_ends=$((fault_started + 2 + rolled))
    faults_injected[$1]=$((${faults_injected[$1]:-0} + 1))
    fault_balance=balance-polled
    chance 2 && fault_balance=balance
    log "fault $1$([[ $1 == balance-* ]] && echo " on $fault_balance") for $((fault_ends - fault_started)) s"
    case $1 in
    reader-hangup)
        fault_mark=$(reader_returns)
        rig_reader fault hangup
        ;;
    reader-*) rig_reader fault "${1#reader-}" ;;
    balance-hangup)
        balance_control fault hangup
        fault_mark=$(rig_requests "$fault_balance")
        ;;
    balance-unstable) balance_control stable off ;;
    balance-*) balance_control fault "${1#balance-}" ;;
    station-kill)
        [ -n "${DEMO_ORDER:-}" ] && killed_orders+=("$DEMO_DAY"$'\t'"$DEMO_ORDER")
        kill -KILL "$RIG_STATION_PID"
        ;;
    server-restart) bash "$root/scripts/rig/postgres-rig.sh" stop "$pg_state" >/dev/null 2>&1 ;;
    server-pause) bash "$root/scripts/rig/postgres-rig.sh" pause "$pg_state" ;;
    server-lock)
        psql "$conninfo" -X -q -c "BEGIN; LOCK TABLE 領藥明細 IN EXCLUSIVE MODE;
            SELECT pg_sleep($((fault_ends - fault_started))); COMMIT;" >/dev/null 2>&1 &
        lock_pid=$!
        ;;
    esac
}

# A hang-up lasts until the device is used again (at most 30 s); the others their time.
soak_fault_over() {
    local elapsed=$(($(now_ms) - fault_started_ms))
    case $fault_active in
    reader-hangup)
        if [ "$(reader_returns)" -gt "$fault_mark" ]; then
            [ "$elapsed" -gt "$longest_reader_return" ] && longest_reader_return=$elapsed
            return 0
        fi
        ;;
    balance-hangup)
        if [ "$(rig_requests "$fault_balance")" -gt "$fault_mark" ]; then
            [ "$elapsed" -gt "$longest_balance_return" ] && longest_balance_return=$elapsed
            return 0
        fi
        ;;
    *) [ "$(now)" -ge "$fault_ends" ] && return 0 ;;
    esac
    if [ "$elapsed" -ge 30000 ]; then
        log "the device did not come back after $fault_active"
        devices_not_back=$((devices_not_back + 1))
        return 0
    fi
    return 1
}

soak_end_fault() {
    case $fault_active in
    reader-*) rig_reader fault none ;;
    balance-unstable) balance_control stable on ;;
    balance-*) balance_control fault none ;;
    server-restart) bash "$root/scripts/rig/postgres-rig.sh" resume "$pg_state" >/dev/null 2>&1 ;;
    server-pause) bash "$root/scripts/rig/postgres-rig.sh" continue "$pg_state" ;;
    server-lock)
        kill "$lock_pid" 2>/dev/null
        wait "$lock_pid" 2>/dev/null
        ;;
    esac
    fault_active=""
}

soak_end_faults() {
    [ -n "$fault_active" ] && soak_end_fault
    return 0
}
