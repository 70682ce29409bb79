#!/usr/bin/env bash
# station-e2e.sh BIN_DIR SOURCE_DIR CASE: the real station with the real emulators on the current
# X display, driven with real clicks and keys. CASE "dispense" dispenses an order, exits and shows
# the main window again; CASE "kill" kills the station in the middle of an order; CASE "pcsc"
# dispenses an order with the reader on a private PC/SC daemon and no serial reader; CASE
# "checks" (and "checks-server", on a PostgreSQL server) weighs the count of a line and refuses
# an expired container, on a demo database made with --checks. A case ending in "-server" runs on
# its own PostgreSQL server instead of the file.
set -uo pipefail
export RIG_BIN=$1 RIG_DATA=$2/data RIG_FRESH_DB=1
case_name=$3
RIG_DIR=$(mktemp -d)
export RIG_DIR
# The dispense case keeps its screenshots beside the binaries, for the user guide.
case $case_name in dispense | checks) export RIG_SHOTS="$RIG_BIN/../e2e-screenshots" ;; esac
source "$2/scripts/rig/station-rig.sh"
source "$2/scripts/rig/demo-scenario.sh"

failures=0
check() {
    local what=$1
    shift
    if "$@"; then
        echo "PASS: $what"
    else
        echo "FAIL: $what"
        failures=$((failures + 1))
    fi
}
finish() {
    rig_stop
    if [ "$failures" -gt 0 ]; then
        echo "--- journal"; rig_journal
        echo "--- station log"; cat "$RIG_DIR/station.log"
    fi
    rm -rf "$RIG_DIR"
}
trap finish EXIT

line_states() { rig_sql "SELECT 配藥日期, 領藥序號, 項次, COALESCE(配藥情況, '') FROM 領藥明細 ORDER BY 1, 2, 3"; }
order_state() { rig_sql "SELECT 項次, COALESCE(配藥情況, '') FROM 領藥明細 WHERE 配藥日期 = '$DEMO_DAY' AND 領藥序號 = '$DEMO_ORDER' ORDER BY 1"; }
other_lines() { grep -v -P "^\Q$DEMO_DAY\E\t\Q$DEMO_ORDER\E\t"; }
stored_items() { rig_journal | awk -F'\t' -v o="$DEMO_ORDER" '$2 == "配藥完成" && $4 == o { print $5 }' | sort -n; }
db_stored_items() { order_state | awk -F'\t' '$2 == "配藥完成" { print $1 }' | sort -n; }
# The audit rows of the open order's stored lines: item, station and expected grams.
audit_stored_items() {
    rig_sql "SELECT 項次, 工作站, COALESCE(CAST(應秤重量 AS TEXT), '') FROM 配藥紀錄
             WHERE 事件 = '配藥完成' AND 配藥日期 = '$DEMO_DAY' AND 領藥序號 = '$DEMO_ORDER'
             ORDER BY 1"
}
STATION_NAME=e2e-藥局
same() { [ "$1" = "$2" ] || { echo "  expected: $2"; echo "  found:    $1"; return 1; }; }

# Dark pixels in a box of a window: a ticked check box has its mark.
dark_pixels() {
    import -window "$1" -crop "$2" -depth 8 -colorspace gray txt:- 2>/dev/null |
        awk -F'[(),]' 'NR > 1 && $3 + 0 < 96 { n++ } END { print n + 0 }'
}

# The port dialog, closed at once, stores the port the search took.
saved_reader_port() {
    local main dialog
    main=$(rig_window 藥師配藥系統) || return 1
    rig_key "$main" alt+o c
    dialog=$(rig_window Form_ComPort) || return 1
    rig_key "$dialog" Escape
    rig_wait 30 rig_window_gone Form_ComPort || { rig_fail "the port dialog stayed"; return 1; }
    sed -n 's/^COM=//p' "$RIG_DIR/ZQKRT_Tovrel.ini" | tr -d '\r'
}

# The first order dispensed: a foreign container, then each line's, with their weights.
check_dispensing() {
    check "a foreign container is warned of" demo_foreign_container
    check "its warning names the foreign container" \
        bash -c "$(declare -f rig_journal); RIG_DIR='$RIG_DIR'; rig_journal | grep -q $'\t'$DEMO_FOREIGN_UID\$"
    local expected_weights
    expected_weights=$(demo_open_lines | awk -F'\t' '{ printf "%s\t%08.2f克\n", $1, 10.25 + 1.5 * (NR - 1) }')
    check "each right container is stored in turn" demo_dispense_order
    check "every line of the order is 配藥完成 in the database" \
        same "$(order_state | cut -f2 | sort -u)" "配藥完成"
    check "each store showed its weight with 克" same "$(rig_journal |
        awk -F'\t' -v o="$DEMO_ORDER" '$2 == "配藥完成" && $4 == o { print $5 "\t" $7 }')" "$expected_weights"
    check "no line of another order changed" \
        same "$(line_states | other_lines)" "$(other_lines <<<"$before")"
}

# Line 1 of the open order weighs 0.5 g a unit; EXPECTED is the weight of its count.
weighed_line() {
    IFS=$'\t' read -r ITEM DRUG SERIAL < <(demo_open_lines | head -n1)
    rig_sql "UPDATE 藥品資料表 SET 單位重量 = 0.5, 容許誤差 = NULL, 有效期限 = '2099-12-31'
             WHERE 藥品名稱 = '$DRUG'" >/dev/null
    local quantity
    quantity=$(rig_sql "SELECT 數量 FROM 領藥明細 WHERE 配藥日期 = '$DEMO_DAY'
                        AND 領藥序號 = '$DEMO_ORDER' AND 項次 = $ITEM")
    EXPECTED=$(awk -v q="$quantity" 'BEGIN { printf "%.2f", q * 0.5 }')
}
line_state() { order_state | awk -F'\t' -v i="$ITEM" '$1 == i { print $2 }'; }
# present_line WEIGHT EVENT [LATER]: the line's container on the reader with the balance at
# WEIGHT, or at LATER from the moment the container is laid, until the journal has one more EVENT.
present_line() {
    local count asked
    count=$(rig_journal_count "$2")
    rig_balance weight "$1"
    asked=$(rig_requests balance)
    rig_wait 30 demo_balance_asked_since $((asked + 2)) || return 1
    rig_reader place "$SERIAL"
    [ -z "${3:-}" ] || rig_balance weight "$3"
    sleep 1
    rig_shot "12-weighing-$2"
    rig_wait 60 rig_journal_has "$2" $((count + 1))
}
take_line_away() {
    rig_reader clear
    # The tag list keeps a container for a second after it was last seen.
    sleep 2
}
check_weighing() {
    weighed_line
    rig_sql "UPDATE 藥品資料表 SET 有效期限 = '2000-01-01' WHERE 藥品名稱 = '$DRUG'" >/dev/null
    check "an expired container warns" present_line "$EXPECTED" 藥品過期
    rig_shot 10-expired-container
    check "the expired container is not stored" same "$(line_state)" ""
    take_line_away
    rig_sql "UPDATE 藥品資料表 SET 有效期限 = '2099-12-31' WHERE 藥品名稱 = '$DRUG'" >/dev/null

    rig_balance stable off
    check "an unstable reading of the right weight is not taken" present_line "$EXPECTED" 重量不符
    check "nor stored" same "$(line_state)" ""
    take_line_away
    rig_balance stable on

    local off
    off=$(awk -v e="$EXPECTED" 'BEGIN { printf "%.2f", e * 1.2 }')
    check "a weight 20 % off warns" present_line "$off" 重量不符
    rig_shot 11-wrong-weight
    check "and is not stored" same "$(line_state)" ""
    take_line_away
    check "the right weight shown before the container came, then 20 % over, warns" \
        present_line "$EXPECTED" 重量不符 "$off"
    check "and is not stored" same "$(line_state)" ""
    check "the corrected count is stored" present_line "$EXPECTED" 配藥完成
    check "the journal has the expected and the read weight" same "$(rig_journal |
        awk -F'\t' '$2 == "配藥完成"' | tail -n1 | cut -f8,9)" "$EXPECTED"$'\t'"$EXPECTED"
    check "the line is 配藥完成 in the database" same "$(line_state)" 配藥完成
    check "its audit row has the expected grams" \
        awk -F'\t' -v i="$ITEM" -v e="$EXPECTED" '$1 == i && $3 == e + 0 { n++ } END { exit n != 1 }' \
        <(audit_stored_items)
    take_line_away
}

case $case_name in
checks*) export RIG_DB_OPTIONS=--checks ;;
esac
if [[ $case_name == *-server ]]; then
    rig_use_server || exit 1
else
    rig_prepare || exit 1
fi
printf '[Station]\nName=%s\n' "$STATION_NAME" >>"$RIG_DIR/ZQKRT_Tovrel.ini"
case $case_name in
checks*) printf '[Dispensing]\nWeightCheck=1\nWeightWaitSeconds=3\n' >>"$RIG_DIR/ZQKRT_Tovrel.ini" ;;
esac
before=$(line_states)
if [ "$case_name" = pcsc ]; then
    # With no serial reader the search has to go on to the PC/SC readers.
    rig_port_nowhere 3
    rig_start_pcsc && rig_start_balances && rig_start_pcsc_reader || exit 1
else
    rig_start_emulators || exit 1
fi
rig_start_station
check "the entry picture shows the main window and the search finds the reader" demo_show_main_window
[ "$case_name" = pcsc ] && check "the search took the PC/SC reader, port 5" same "$(saved_reader_port)" 5
check "the balance window opens the balance on COM2" demo_open_balance_window
check "a click on the first order opens it" demo_open_first_order
[ "$failures" -eq 0 ] || exit 1

case $case_name in
dispense)
    check_dispensing
    main=$(rig_window 藥師配藥系統)
    # Row 1 is the dispensed order, row 3 one not touched: only row 1 has a tick.
    check "the completed order is ticked" \
        test "$(dark_pixels "$main" 10x10+13+89)" -gt $(($(dark_pixels "$main" 10x10+13+121) + 8))
    opened=$(rig_journal_count 開始配藥)
    rig_reader clear
    rig_click "$main" 40 109
    check "the list takes a click again" rig_wait 30 rig_journal_has 開始配藥 $((opened + 1))
    rig_click "$main" 640 320
    rig_key "$main" alt+f e
    check "File/Exit hides the main window" rig_wait 30 rig_window_gone 藥師配藥系統
    check "the entry window stays" rig_wait 5 rig_window_shown dur4
    rig_shot 09-after-exit
    check "the main window shows again with its search" demo_show_main_window
    ;;
kill | kill-server)
    open_lines=$(demo_open_lines)
    last=$(tail -n1 <<<"$open_lines")
    weight=20.00
    while IFS=$'\t' read -r item drug serial; do
        check "line $item is stored" demo_dispense_line "$item" "$serial" "$weight"
    done < <(head -n -1 <<<"$open_lines")
    # The last line's container goes on the reader; the station dies while it shows "配藥中".
    rig_reader place "$(cut -f3 <<<"$last")"
    sleep 1.5
    kill -KILL "$RIG_STATION_PID"
    wait "$RIG_STATION_PID" 2>/dev/null
    [ "$case_name" = kill ] && check "the database is whole" same "$(rig_sql 'PRAGMA integrity_check')" "ok"
    check "every line the journal reported stored is stored, and no other" \
        same "$(db_stored_items)" "$(stored_items)"
    check "the killed line is not stored" \
        same "$(order_state | awk -F'\t' -v i="$(cut -f1 <<<"$last")" '$1 == i { print $2 }')" ""
    check "every stored line has one audit row, from this station, and no other line has one" \
        same "$(audit_stored_items | cut -f1,2)" "$(db_stored_items | sed "s/$/\t$STATION_NAME/")"
    check "no line of another order changed" \
        same "$(line_states | other_lines)" "$(other_lines <<<"$before")"
    ;;
pcsc)
    check_dispensing
    ;;
checks | checks-server)
    check_weighing
    ;;
*)
    echo "unknown case $case_name"
    exit 2
    ;;
esac
[ "$failures" -eq 0 ]
