# soak-checks.sh: sourced by soak.sh. What the soak checks, as it goes and at the end, and its
# report.

# Day, order and item of every stored line, one per line.
soak_stored_lines() {
    rig_sql "SELECT 配藥日期, 領藥序號, 項次 FROM 領藥明細 WHERE 配藥情況 IS NOT NULL ORDER BY 1, 2, 3"
}

# The journal's lines of one event as day, order and item.
journal_lines() { rig_journal | awk -F'\t' -v e="$1" '$2 == e { print $3 "\t" $4 "\t" $5 }' | sort; }

# Each store the journal reports must be of the drug of a container laid just before (a store may
# be reported a little after its container was taken off).
recent_serials=()
journal_seen=0
foreign_stores=0
soak_check_new_stores() {
    [ -n "$laid_serial" ] && recent_serials=("$laid_serial" "${recent_serials[@]:0:1}")
    local total drug serial
    total=$(rig_journal | wc -l)
    while IFS=$'\t' read -r drug; do
        serial=${drug_serial[$drug]:-}
        if [ -z "$serial" ] || [[ " ${recent_serials[*]} " != *" $serial "* ]]; then
            log "a line of $drug was stored while ${recent_serials[*]} lay on the reader"
            foreign_stores=$((foreign_stores + 1))
        fi
    done < <(rig_journal | tail -n +"$((journal_seen + 1))" | head -n "$((total - journal_seen))" |
        awk -F'\t' '$2 == "配藥完成" { print $6 }')
    journal_seen=$total
}

count_lines() { [ -z "$1" ] && echo 0 || wc -l <<<"$1"; }

soak_report() {
    soak_check_new_stores
    local reported failed stored_now stored_new twice not_stored invented unreported integrity
    reported=$(journal_lines 配藥完成)
    failed=$(journal_lines 存檔失敗)
    stored_now=$(soak_stored_lines) || fail "the database could not be read at the end"
    stored_new=$(comm -13 <(echo "$stored_before") <(echo "$stored_now") | sed '/^$/d')
    twice=$(uniq -d <<<"$reported" | sed '/^$/d')
    # Reported stored, but not a line this soak stored: lost, or stored before and stored again.
    not_stored=$(comm -23 <(sort -u <<<"$reported") <(echo "$stored_new") | sed '/^$/d')
    # Stored, but never reported: only a store whose answer was lost (reported failed) or one of
    # an order in hand when the station was killed may be that.
    unreported=$(comm -13 <(sort -u <<<"$reported") <(echo "$stored_new") | sed '/^$/d')
    invented=$(while IFS=$'\t' read -r day order item; do
        [ -n "$day" ] || continue
        grep -qxF "$day"$'\t'"$order"$'\t'"$item" <<<"$failed" && continue
        printf '%s\n' "${killed_orders[@]}" | grep -qxF "$day"$'\t'"$order" && continue
        echo "$day $order $item"
    done <<<"$unreported")
    integrity=$(soak_integrity)

    local hold_limit=$(((statement_bound + 1) * 1000)) losses=0
    for found in "$twice" "$not_stored" "$invented"; do
        losses=$((losses + $(count_lines "$found")))
    done
    losses=$((losses + foreign_stores + devices_not_back))
    [ "$integrity" = ok ] || losses=$((losses + 1))
    [ "$pinger_longest" -le "$hold_limit" ] || losses=$((losses + 1))
    [ -n "$twice$not_stored$invented" ] && log "lines: twice [$twice] not stored [$not_stored] unreported [$invented]"

    local fault_table="" kind
    for kind in $(printf '%s\n' "${!faults_injected[@]}" | sort); do
        fault_table+="${fault_table:+, }$kind ${faults_injected[$kind]}"
    done
    {
        echo "| Soak | $minutes min, seed $seed, $([ "$server" = 1 ] && echo "PostgreSQL server" || echo "SQLite file"), $(date -u +%F), $(git -C "$root" rev-parse --short HEAD 2>/dev/null || echo "no commit") |"
        echo "|---|---|"
        echo "| Faults injected | ${fault_table:-none} |"
        echo "| Orders opened / completed / stopped and opened again | $(rig_journal_count 開始配藥) / $(rig_journal_count 全部完成) / $orders_stopped |"
        echo "| Lines stored / stores reported failed | $(count_lines "$reported") / $(count_lines "$failed") |"
        echo "| Foreign containers laid / containers of done lines laid / warnings \"拿錯藥品\" | $foreign_placed / $done_placed / $(rig_journal_count 拿錯藥品) |"
        echo "| Station killed and started again | $((station_starts - 1)) |"
        echo "| Error boxes shown | $boxes_shown |"
        echo "| Longest hold of the windows | $pinger_longest ms (limit $hold_limit ms) |"
        echo "| Longest return after a hang-up: reader / balance | ${longest_reader_return} ms / ${longest_balance_return} ms (not back within 30 s: $devices_not_back) |"
        echo "| Station memory (VmRSS) at the first start / at the end | $rss_start kB / $rss_end kB |"
        echo "| Database whole | $integrity |"
        echo "| Reported but not stored / stored but not reported / stored twice / for another drug's container | $(count_lines "$not_stored") / $(count_lines "$invented") / $(count_lines "$twice") / $foreign_stores |"
        echo "| Result | $([ "$losses" = 0 ] && echo PASS || echo "FAIL ($losses)") |"
    } | tee ${output:+"$output"}
    [ "$losses" = 0 ]
}
