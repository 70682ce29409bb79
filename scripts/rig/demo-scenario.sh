# demo-scenario.sh: sourced after station-rig.sh. The demo a person would do at the station, with
# real clicks and keys: the entry picture, the reader search, the first order of the day, a
# foreign container, then each line's container with a weight on the balance.

# Points inside the windows, in window pixels: the entry picture, the first row of the order list.
DEMO_PICTURE_POINT=(400 150)
DEMO_FIRST_ORDER_POINT=(40 93)
# The search dialog's OK button (Enter presses no button of the reader dialogs).
DEMO_SEARCH_OK_POINT=(80 176)
# A container whose serial number no drug of the demo catalogue has.
DEMO_FOREIGN_UID=E0040100FFFFFF01

# Shows the main window from the entry picture and takes the reader the search finds.
demo_show_main_window() {
    local entry dialog
    entry=$(rig_window dur4) || return 1
    rig_shot 01-entry
    rig_click "$entry" "${DEMO_PICTURE_POINT[@]}"
    rig_window 藥師配藥系統 >/dev/null || return 1
    dialog=$(rig_window Form_FindReader) || return 1
    # The walk over the serial ports alone takes about 20 s.
    rig_wait 240 rig_window_shows_colour "$dialog" '#008000' ||
        { rig_shot search-failed; rig_fail "the search did not find the reader"; return 1; }
    rig_shot 02-search-found
    rig_click "$dialog" "${DEMO_SEARCH_OK_POINT[@]}"
    rig_wait 30 rig_window_gone Form_FindReader || { rig_fail "the search dialog stayed"; return 1; }
}

# The terminal window of the balance on COM2, whose reading the station shows as the weight.
DEMO_BALANCE_COM2_POINT=(30 67)
DEMO_BALANCE_OPEN_POINT=(207 28)

demo_balance_asked_since() { [ "$(rig_requests balance)" -ge "$1" ]; }

demo_open_balance_window() {
    local main terminal
    main=$(rig_window 藥師配藥系統) || return 1
    rig_key "$main" alt+o b
    terminal=$(rig_window 自動資料讀取) || return 1
    rig_click "$terminal" "${DEMO_BALANCE_COM2_POINT[@]}"
    rig_click "$terminal" "${DEMO_BALANCE_OPEN_POINT[@]}"
    rig_wait 30 demo_balance_asked_since 1 || { rig_shot balance-not-asked; rig_fail "the balance is not asked"; return 1; }
    rig_shot 03-balance-window
}

# Clicks the first order of the list; DEMO_DAY and DEMO_ORDER name it, as the journal has it.
demo_open_first_order() {
    local main opened
    main=$(rig_window 藥師配藥系統) || return 1
    opened=$(rig_journal_count 開始配藥)
    rig_shot 04-order-list
    rig_click "$main" "${DEMO_FIRST_ORDER_POINT[@]}"
    rig_wait 30 rig_journal_has 開始配藥 $((opened + 1)) ||
        { rig_shot order-not-opened; rig_fail "no order was opened"; return 1; }
    DEMO_DAY=$(rig_journal | awk -F'\t' '$2 == "開始配藥"' | tail -n1 | cut -f3)
    DEMO_ORDER=$(rig_journal | awk -F'\t' '$2 == "開始配藥"' | tail -n1 | cut -f4)
    rig_shot 05-order-open
}

demo_foreign_container() {
    local warned
    warned=$(rig_journal_count 拿錯藥品)
    rig_reader place "$DEMO_FOREIGN_UID"
    rig_wait 30 rig_journal_has 拿錯藥品 $((warned + 1)) ||
        { rig_fail "no warning for a foreign container"; return 1; }
    rig_shot 06-wrong-container
    rig_reader clear
}

# The order's lines still to dispense: item, drug, serial number.
demo_open_lines() {
    rig_sql "SELECT 領藥明細.項次, 領藥明細.藥品名稱, 藥品資料表.SerialNumber FROM 領藥明細
             JOIN 藥品資料表 ON 藥品資料表.藥品名稱 = 領藥明細.藥品名稱
             WHERE 領藥明細.配藥日期 = '$DEMO_DAY' AND 領藥明細.領藥序號 = '$DEMO_ORDER'
             AND 領藥明細.配藥情況 IS NULL ORDER BY 領藥明細.項次"
}

# demo_dispense_line ITEM SERIAL WEIGHT: the balance reads WEIGHT, the line's container is laid
# on the reader and taken off once the line is stored.
demo_dispense_line() {
    local stored asked
    stored=$(rig_journal_count 配藥完成)
    rig_balance weight "$3"
    # Once the terminal window has asked twice more, it holds the new reading.
    asked=$(rig_requests balance)
    rig_wait 30 demo_balance_asked_since $((asked + 2)) ||
        { rig_fail "the balance is no longer asked"; return 1; }
    rig_reader place "$2"
    sleep 1
    rig_shot "07-dispensing-line-$1"
    rig_wait 60 rig_journal_has 配藥完成 $((stored + 1)) ||
        { rig_shot store-missing; rig_fail "line $1 was not stored"; return 1; }
    rig_reader clear
}

demo_dispense_order() {
    local item drug serial weight=10.25
    while IFS=$'\t' read -r item drug serial; do
        demo_dispense_line "$item" "$serial" "$weight" || return 1
        weight=$(awk -v w="$weight" 'BEGIN { printf "%.2f", w + 1.5 }')
    done < <(demo_open_lines)
    rig_wait 30 rig_journal_has 全部完成 1 || { rig_fail "the order was not completed"; return 1; }
    rig_shot 08-order-complete
}

# What the database holds for the order, with the weights the station showed as it stored them.
demo_outcome() {
    echo "Order $DEMO_ORDER of $DEMO_DAY:"
    rig_sql "SELECT 項次, 藥品名稱, COALESCE(配藥情況, '(not dispensed)') FROM 領藥明細
             WHERE 配藥日期 = '$DEMO_DAY' AND 領藥序號 = '$DEMO_ORDER' ORDER BY 項次" |
        while IFS=$'\t' read -r item drug state; do
            weight=$(rig_journal | awk -F'\t' -v o="$DEMO_ORDER" -v i="$item" \
                '$2 == "配藥完成" && $4 == o && $5 == i { w = $7 } END { print w }')
            printf '  line %s  %-28s %s  %s\n' "$item" "$drug" "$state" "$weight"
        done
}

demo_run() {
    demo_show_main_window && demo_open_balance_window && demo_open_first_order && demo_foreign_container &&
        demo_dispense_order
}
