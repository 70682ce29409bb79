#!/usr/bin/env bash
# performance.sh [--bin DIR] [--soak SECONDS] [--output FILE]: measures the station and writes
# the performance report (Markdown, docs/performance.md by default). DIR is the bin folder of a
# build configured with the tests on (bench/ is built only then). The parts that need windows run
# on a virtual display of their own. Progress goes to stderr; a failed measurement fails the run
# and leaves the report as it was.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
bin="$root/build/bin"
soak=3600
output="$root/docs/performance.md"
station_part=""

# Sizes and repetitions of the measurements.
large_orders=200000 # as bench_database makes its database
large_lines=1000000
startup_runs=5
report_runs=7
shell_runs=7
shell_batch=100
dispensing_runs=3
cpu_seconds=30
rss_every=60

# The station writes and reads the dispensing day in the regional short date format; one locale
# for everything keeps the day texts of the databases and of the hand-written SQL alike.
export LC_ALL=C.UTF-8

log() { echo "performance: $*" >&2; }
fail() {
    log "$*"
    exit 1
}

while [ $# -gt 0 ]; do
    case "$1" in
    --bin) bin="$(cd "${2:?--bin takes a folder}" && pwd)" && shift 2 ;;
    --soak) soak="${2:?--soak takes seconds}" && shift 2 ;;
    --output) output="${2:?--output takes a file}" && shift 2 ;;
    # Internal: the window part, run on the virtual display; writes its figures to FILE.
    --station-part) station_part="${2:?}" && shift 2 ;;
    *) fail "unknown option $1 (options: --bin DIR, --soak SECONDS, --output FILE)" ;;
    esac
done
[[ "$soak" =~ ^[0-9]+$ ]] && [ "$soak" -ge 10 ] || fail "--soak takes whole seconds, at least 10"

now_us() { echo "${EPOCHREALTIME/./}"; }
sleep_until_us() {
    local left=$(($1 - $(now_us)))
    [ "$left" -le 0 ] || sleep "$((left / 1000000)).$(printf %06d $((left % 1000000)))"
}

# Numbers on stdin: their median, least and greatest, and how many there are.
stats() {
    sort -g | awk '{ v[NR] = $1 } END {
        if (NR == 0) exit 1
        m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
        print m, v[1], v[NR], NR }'
}

# ---------------------------------------------------------------------------------------------
# The window part: start-up, CPU share and memory of the real station with the real emulators.

station_figures() {
    RIG_DIR="$(dirname "$station_part")/station"
    export RIG_BIN="$bin" RIG_DATA="$root/data" RIG_DIR
    source "$root/scripts/rig/station-rig.sh"
    source "$root/scripts/rig/demo-scenario.sh"
    trap rig_stop EXIT
    mkdir -p "$RIG_DIR"
    rig_prepare && rig_start_emulators || fail "the station's folder or emulators failed"

    local run start deadline times=()
    for ((run = 1; run <= startup_runs; run++)); do
        start=$(now_us)
        deadline=$((start + 60000000))
        rig_start_station
        # xdotool's own --sync looks only every half second: too coarse for this.
        until rig_window_shown dur4; do
            [ "$(now_us)" -lt "$deadline" ] && rig_station_running ||
                fail "start-up run $run: no window dur4 ($(tail -n3 "$RIG_DIR/station.log"))"
            sleep 0.01
        done
        times+=("$((($(now_us) - start) / 1000))")
        kill "$RIG_STATION_PID"
        wait "$RIG_STATION_PID" || true
        log "start-up run $run: ${times[-1]} ms"
    done

    log "station: main window, reader search, balance window, first order"
    rig_start_station
    demo_show_main_window && demo_open_balance_window && demo_open_first_order ||
        fail "the station could not be brought to wait for a container"
    local pid=$RIG_STATION_PID ticks
    ticks=$(getconf CLK_TCK)

    log "station: CPU share over $cpu_seconds s"
    local cpu_before cpu_after wall_start wall
    cpu_before=$(cpu_ticks "$pid")
    wall_start=$(now_us)
    sleep_until_us $((wall_start + cpu_seconds * 1000000))
    cpu_after=$(cpu_ticks "$pid")
    wall=$(($(now_us) - wall_start))
    rig_station_running || fail "the station ended while its CPU share was sampled"

    log "station: soak of $soak s"
    local polled_before asked_before soak_start elapsed rss=()
    polled_before=$(rig_requests balance-polled)
    asked_before=$(rig_requests balance)
    soak_start=$(now_us)
    rss+=("$(vm_kb "$pid" VmRSS)")
    for ((elapsed = rss_every; elapsed < soak; elapsed += rss_every)); do
        sleep_until_us $((soak_start + elapsed * 1000000))
        rig_station_running || fail "the station ended after $elapsed s of the soak"
        rss+=("$(vm_kb "$pid" VmRSS)")
        log "soak: ${elapsed} s, VmRSS ${rss[-1]} kB"
    done
    sleep_until_us $((soak_start + soak * 1000000))
    rig_station_running || fail "the station ended during the soak"
    rss+=("$(vm_kb "$pid" VmRSS)")
    local hwm
    hwm=$(vm_kb "$pid" VmHWM)

    # Still watching: both balances were asked during the soak, and a wrong container warns.
    [ "$(rig_requests balance-polled)" -gt "$polled_before" ] ||
        fail "the polled balance was not asked during the soak"
    [ "$(rig_requests balance)" -gt "$asked_before" ] ||
        fail "the terminal window's balance was not asked during the soak"
    demo_foreign_container || fail "after the soak the station no longer checks containers"

    {
        echo "startup_ms=$(printf '%s\n' "${times[@]}" | stats)"
        echo "cpu_pct=$(awk -v t=$((cpu_after - cpu_before)) -v hz="$ticks" -v us="$wall" \
            'BEGIN { printf "%.2f", 100 * t / hz / (us / 1e6) }')"
        echo "cpu_wall_s=$(awk -v us="$wall" 'BEGIN { printf "%.1f", us / 1e6 }')"
        echo "rss_kb=${rss[*]}"
        echo "hwm_kb=$hwm"
        echo "threads=$(awk '$1 == "Threads:" { print $2 }' "/proc/$pid/status")"
    } >"$station_part"
}

# utime + stime of a process, in clock ticks; the name in field 2 may hold blanks.
cpu_ticks() {
    local stat fields
    stat=$(<"/proc/$1/stat")
    read -ra fields <<<"${stat##*) }"
    echo $((fields[11] + fields[12]))
}

vm_kb() { awk -v k="$2:" '$1 == k { print $2 }' "/proc/$1/status"; }

if [ -n "$station_part" ]; then
    station_figures
    exit 0
fi

# ---------------------------------------------------------------------------------------------
# The main part.

for program in dispensing-station reader-emulator balance-emulator emulator-control demo-db-maker \
    bench_database bench_dispensing dispense-worker bench_inventory bench_taglist \
    dispensing-report db-copy; do
    [ -x "$bin/$program" ] ||
        fail "$bin/$program is missing (build with the tests on, then all targets)"
done
for tool in sqlite3 psql Xvfb openbox xdotool; do
    command -v "$tool" >/dev/null || fail "$tool is missing (bash scripts/setup.sh installs it)"
done
# The server benchmarks start their own PostgreSQL cluster through scripts/rig/postgres-rig.sh.
compgen -G "/usr/lib/postgresql/*/bin/pg_ctl" >/dev/null ||
    fail "the PostgreSQL server is missing (bash scripts/setup.sh installs it)"
# The PC/SC benchmarks start their own pcscd through scripts/rig/pcsc-rig.sh.
command -v pcscd >/dev/null && [ -f /usr/lib/pcsc/drivers/serial/libifdvpcd.so ] ||
    fail "pcscd or the virtual reader driver is missing (bash scripts/setup.sh installs them)"

script_start=$(now_us)
# The commit at the start: the binaries measured are those of the tree as it is now.
commit=$(git -C "$root" rev-parse --short HEAD 2>/dev/null || echo unknown)
[ -z "$(git -C "$root" status --porcelain --untracked-files=no 2>/dev/null)" ] ||
    commit+=" with uncommitted changes"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
load_start=$(cut -d' ' -f1 /proc/loadavg)

# Google Benchmark's JSON, one line per run: tab-separated key=value pairs.
bench_records() {
    awk '/^  "benchmarks": \[/ { inside = 1; next }
        inside && /^    \{/ { record = ""; next }
        inside && /^    \}/ { print record; next }
        inside && match($0, /^      "[^"]+": /) {
            key = substr($0, 8, RLENGTH - 10)
            value = substr($0, RLENGTH + 1)
            sub(/,$/, "", value)
            gsub(/"/, "", value)
            record = record key "=" value "\t"
        }' "$1"
}

# run_bench_as TAG NAME [options...]: runs bench NAME with JSON into $work/TAG.json, its records
# into $work/TAG.tsv; fails when it fails, reports nothing or reports an error.
run_bench_as() {
    local tag=$1 name=$2
    shift 2
    log "$name $*"
    QT_QPA_PLATFORM=offscreen "$bin/$name" --benchmark_out="$work/$tag.json" \
        --benchmark_out_format=json "$@" >"$work/$tag.log" 2>&1 ||
        fail "$name failed: $(tail -n5 "$work/$tag.log")"
    bench_records "$work/$tag.json" >"$work/$tag.tsv"
    [ -s "$work/$tag.tsv" ] || fail "$name reported nothing"
    ! grep -q 'error_message=' "$work/$tag.tsv" ||
        fail "$name: $(grep -o 'error_message=[^	]*' "$work/$tag.tsv" | head -n1)"
}
# run_bench NAME [options...]: run_bench_as with the bench's own name as the tag.
run_bench() { run_bench_as "$1" "$@"; }

# bench_values NAME RUN KEY: KEY of each repetition of RUN.
bench_values() {
    awk -F'\t' -v run="run_name=$2" -v key="$3=" '
        { named = 0; timed = 0; value = "" }
        { for (i = 1; i <= NF; i++) {
            if ($i == run) named = 1
            if ($i == "run_type=iteration") timed = 1
            if (index($i, key) == 1) value = substr($i, length(key) + 1) } }
        named && timed && value != "" { print value }' "$work/$1.tsv"
}
bench_value() {
    local value
    value=$(bench_values "$@" | head -n1)
    [ -n "$value" ] || fail "$1 gave no $3 for $2"
    echo "$value"
}
bench_stats() {
    bench_values "$@" | stats || fail "$1 gave no $3 for $2"
}

# The emulator's reply times (docs/reader-emulator.md, "Timing") at 8E1, in µs: an RF reset, and
# a 16-slot inventory with TAGS transponders in slots of their own; each is the request's line
# time, the air time and the reply's line time.
model_us() {
    awk -v baud="$1" -v tags="$2" '
        function line(bytes) { return int((bytes * 11e6 + baud - 1) / baud) }
        BEGIN {
            reset = line(6) + 5000 + line(7)
            request = 5 * 302 + 113
            answered = 321 + 12 * 300 + 302 + 309
            air = request + 15 * 38 + (16 - tags) * 472 + tags * answered
            print reset, line(8) + air + line(8 + 10 * tags)
        }'
}

# --- The station's statements, and the same by the sqlite3 shell ----------------------------

run_bench bench_database --benchmark_repetitions=5
database_summary=$(sed -n 's/^database: //p' "$work/bench_database.log")
[ "$(bench_value bench_database BM_OrderListOfOneDay time_unit)" = ms ] ||
    fail "bench_database changed its time unit"
list_times=$(bench_stats bench_database BM_OrderListOfOneDay real_time)
lines_times=$(bench_stats bench_database BM_OrderLinesOfOneOrder real_time)
read -r list_med list_min list_max _ <<<"$list_times"
read -r lines_med lines_min lines_max _ <<<"$lines_times"
list_rows=$(bench_value bench_database BM_OrderListOfOneDay rows)
lines_rows=$(bench_value bench_database BM_OrderLinesOfOneOrder rows)
list_rows=$(printf %.0f "$list_rows")
lines_rows=$(printf %.0f "$lines_rows")

# The same statements on the server bench_database started, filled with the same content.
server_version=$(sed -n 's/^server: \(PostgreSQL [^ ]*\).*/\1/p' "$work/bench_database.log")
[ -n "$server_version" ] || fail "bench_database named no server"
server_list_times=$(bench_stats bench_database BM_OrderListOfOneDay/server real_time)
server_lines_times=$(bench_stats bench_database BM_OrderLinesOfOneOrder/server real_time)
read -r server_list_med server_list_min server_list_max _ <<<"$server_list_times"
read -r server_lines_med server_lines_min server_lines_max _ <<<"$server_lines_times"
server_list_rows=$(printf %.0f "$(bench_value bench_database BM_OrderListOfOneDay/server rows)")
server_lines_rows=$(printf %.0f "$(bench_value bench_database BM_OrderLinesOfOneOrder/server rows)")
server_sequence=$(bench_value bench_database BM_OrderLinesOfOneOrder/server label)

# --- Dispensing stores from several stations at once -------------------------------------------

run_bench bench_dispensing --benchmark_repetitions="$dispensing_runs"
dispensing_summary=$(sed -n 's/^database: //p' "$work/bench_dispensing.log")
# dispensing_rate ENGINE CLIENTS: the median and range of the lines stored a second.
dispensing_rate() {
    local rates med min max
    rates=$(bench_stats bench_dispensing \
        "BM_DispensingStores/$1/clients:$2/iterations:1/manual_time" lines_per_s) || exit 1
    read -r med min max _ <<<"$rates"
    printf '%.0f lines/s (%.0f–%.0f)' "$med" "$min" "$max"
}
dispensing_lines=$(printf %.0f "$(bench_value bench_dispensing \
    BM_DispensingStores/server/clients:1/iterations:1/manual_time lines)")
declare -A dispensing
for run in server:1 server:4 server:16 file:1 file:4; do
    dispensing[$run]=$(dispensing_rate "${run%:*}" "${run#*:}")
done

log "demo-db-maker: $large_orders orders for the sqlite3 shell"
database_start=$(now_us)
"$bin/demo-db-maker" --force --output "$work/large.db" --catalogue "$root/data/transponders.tsv" \
    --today "$(date +%F)" --orders "$large_orders" --lines "$large_lines" >/dev/null ||
    fail "demo-db-maker could not make the large database"
database_seconds=$((($(now_us) - database_start) / 1000000))
database_mb=$(($(stat -c %s "$work/large.db") / 1048576))

# The station's fallback short date, M/d/yy, under the C locale.
day=$(date +%-m/%-d/%y)
list_sql="SELECT 領藥單.配藥日期, 領藥單.領藥序號, 病人基本資料.姓名, 病人基本資料.性別, 病人基本資料.出生年月日
FROM 病人基本資料 INNER JOIN 領藥單 ON 病人基本資料.病歷號碼 = 領藥單.病歷號碼
WHERE 領藥單.配藥日期 LIKE '$day';"
# bench_database takes the order its walk through the list ended on: the last row.
sequence=$(sqlite3 -batch -noheader -separator $'\t' "$work/large.db" "$list_sql" |
    awk -F'\t' 'END { print $2 }')
[ -n "$sequence" ] || fail "no order today in the large database"
lines_sql="SELECT 病人基本資料.*, 領藥明細.*, 藥品資料表.SerialNumber, 領藥單.配藥日期
FROM 藥品資料表 INNER JOIN (病人基本資料 INNER JOIN (領藥單 INNER JOIN 領藥明細
ON (領藥單.配藥日期 = 領藥明細.配藥日期) AND (領藥單.領藥序號 = 領藥明細.領藥序號))
ON 病人基本資料.病歷號碼 = 領藥單.病歷號碼) ON 藥品資料表.藥品名稱 = 領藥明細.藥品名稱
WHERE (領藥單.領藥序號 LIKE '$sequence') AND (領藥單.配藥日期 LIKE '$day');"

# Equal files: the shell must find the rows the station's statements found.
same_rows() {
    local found
    found=$(sqlite3 -batch -noheader "$work/large.db" "$2" | wc -l)
    [ "$found" = "$3" ] || fail "the sqlite3 shell found $found rows of the $1, bench_database $3"
}
same_rows "order list" "$list_sql" "$list_rows"
same_rows "order lines" "$lines_sql" "$lines_rows"

# shell_ms SQL: per run, in ms, of each timed line after a warm-up one. A line of several
# statements is timed as one, so each line runs the statement shell_batch times.
shell_ms() {
    local line="" i
    for ((i = 0; i < shell_batch; i++)); do line+="${1//$'\n'/ } "; done
    {
        echo ".output /dev/null"
        echo ".timer on"
        for ((i = 0; i <= shell_runs; i++)); do echo "$line"; done
    } | sqlite3 -batch "$work/large.db" |
        awk -v n="$shell_batch" '$1 == "Run" && ++lines > 1 { print 1000 * $4 / n }' | stats
}
log "sqlite3 shell: the two statements"
cli_list=$(shell_ms "$list_sql")
cli_lines=$(shell_ms "$lines_sql")
read -r cli_list_med cli_list_min cli_list_max cli_list_runs <<<"$cli_list"
read -r cli_lines_med cli_lines_min cli_lines_max cli_lines_runs <<<"$cli_lines"
[ "$cli_list_runs" = "$shell_runs" ] && [ "$cli_lines_runs" = "$shell_runs" ] ||
    fail "the sqlite3 shell did not time every run"

# --- The day's report over the large database, on the file and on a server ------------------

# The large database on a cluster of its own, copied by db-copy with its audit table.
report_state="$work/report-cluster"
bash "$root/scripts/rig/postgres-rig.sh" start "$report_state" >/dev/null ||
    fail "the report's PostgreSQL cluster did not start"
trap 'bash "$root/scripts/rig/postgres-rig.sh" destroy "$report_state" >/dev/null 2>&1; rm -rf "$work"' EXIT
report_server=$(<"$report_state.conninfo")
log "db-copy: the large database to the report's server"
"$bin/db-copy" --from "$work/large.db" --to "$report_server" --create-tables >/dev/null ||
    fail "db-copy could not copy the large database"
psql -X -q -d "$report_server" -c "ANALYZE" || fail "psql could not reach the report's server"

# The report's three statements by hand, for the days from $1 days ago to yesterday: the history
# of the demo database has audit rows for past days only.
report_sql() {
    local days="" offset
    for ((offset = $1; offset >= 1; offset--)); do
        days+="${days:+, }'$(date -d "-$offset day" +%-m/%-d/%y)'"
    done
    echo "SELECT 領藥單.配藥日期, 領藥單.領藥序號, 領藥單.病歷號碼, 病人基本資料.姓名 FROM 領藥單
LEFT JOIN 病人基本資料 ON 病人基本資料.病歷號碼 = 領藥單.病歷號碼 WHERE 領藥單.配藥日期 IN ($days);
SELECT 配藥日期, 領藥序號, 項次, 藥品名稱, 配藥情況 FROM 領藥明細 WHERE 配藥日期 IN ($days);
SELECT 時間, 工作站, 使用者, 事件, 配藥日期, 領藥序號, 項次, 顯示重量, 應秤重量 FROM 配藥紀錄
WHERE 配藥日期 IN ($days);"
}

# report_ms DAYS PLACE...: per run of dispensing-report over the DAYS days up to yesterday, in ms,
# as a user runs it (the process included); the first run warms the caches.
report_ms() {
    local days=$1 run start
    shift
    for ((run = 0; run <= report_runs; run++)); do
        start=$(now_us)
        "$bin/dispensing-report" "$@" --from "$(date -d "-$days day" +%F)" \
            --to "$(date -d yesterday +%F)" --output "$work/report.html" 2>"$work/report.log" ||
            fail "dispensing-report $* over $days days failed: $(tail -n3 "$work/report.log")"
        [ "$run" -eq 0 ] || echo "$((($(now_us) - start) / 1000))"
    done | stats
}

# psql_ms SQL: per run, in ms, of the statements together, by psql's own timing after a warm-up.
psql_ms() {
    local i
    {
        echo "\\timing on"
        for ((i = 0; i <= report_runs; i++)); do echo "$1"; done
    } | psql -X -q -d "$report_server" -o /dev/null |
        awk -v n="$(grep -c ';' <<<"$1")" '$1 == "Time:" { sum += $2
            if (++statements % n == 0) { if (statements > n) print sum; sum = 0 } }' | stats
}

declare -A report_figures
for days in 1 30; do
    log "dispensing-report over $days day(s), the sqlite3 shell and psql"
    report_figures[file:$days]=$(report_ms "$days" --file "$work/large.db")
    report_figures[server:$days]=$(report_ms "$days" --server "$report_server")
    report_figures[shell:$days]=$(shell_ms "$(report_sql "$days")")
    report_figures[psql:$days]=$(psql_ms "$(report_sql "$days")")
done
report_rows=$(sqlite3 -batch "$work/large.db" \
    "SELECT count(*) FROM 領藥明細 WHERE 配藥日期 = '$(date -d yesterday +%-m/%-d/%y)'")
# figure KEY: "median X ms (least–most)"
figure() {
    local med min max
    read -r med min max _ <<<"${report_figures[$1]}"
    printf 'median %.1f ms (%.1f–%.1f ms)' "$med" "$min" "$max"
}

# --- Inventory passes and tag-to-list latency -------------------------------------------------

run_bench bench_inventory
inventory_rows=""
for setting in "38400 1" "38400 3" "115200 1" "115200 3"; do
    read -r baud tags <<<"$setting"
    run="inventoryPasses/baud:$baud/tags:$tags/real_time"
    passes=$(bench_value bench_inventory "$run" passes_per_s)
    limit=$(bench_value bench_inventory "$run" limit_per_s)
    quiet_ms=$(printf %.0f "$(bench_value bench_inventory "$run" quiet_ms)")
    read -r reset_us inventory_us < <(model_us "$baud" "$tags")
    # Each of the pass's two requests waits for its quiet line.
    pass_us=$((reset_us + inventory_us + 2 * quiet_ms * 1000))
    awk -v l="$limit" -v us="$pass_us" 'BEGIN { d = l * us / 1e6 - 1; exit d > 0.005 || d < -0.005 }' ||
        fail "the timing model gives $pass_us µs a pass, bench_inventory $limit passes a second"
    inventory_rows+=$(awk -v b="$baud" -v t="$tags" -v p="$passes" -v l="$limit" -v us="$pass_us" \
        -v q="$quiet_ms" \
        'BEGIN { printf "| Inventory passes, %d Bd 8E1, %d tag%s | %.1f /s | ",
                         b, t, (t > 1 ? "s" : ""), p
                 printf "limit %.1f /s (%.1f ms a pass, %d ms of it quiet line): %.0f %% of it |\n",
                         l, us / 1000, 2 * q, 100 * p / l }')
    inventory_rows+=$'\n'
done
for tags in 1 0; do
    passes=$(bench_value bench_inventory "pcscInventoryPasses/tags:$tags/real_time" passes_per_s)
    inventory_rows+=$(awk -v t="$tags" -v p="$passes" \
        'BEGIN { printf "| Inventory passes, PC/SC reader (pcscd, virtual reader), %s | %.0f /s | ",
                         (t ? "1 card" : "no card"), p
                 bound = "each pass waits up to 50 ms for a card: at most 20 /s"
                 if (t) bound = "no line or air time to bound it: the pass crosses the daemon"
                 printf "%s |\n", bound }')
    inventory_rows+=$'\n'
done

run_bench bench_taglist --benchmark_filter='^(placementToRow|cpuWithoutTag|containerLeftLying)/'
taglist_run="placementToRow/iterations:200/manual_time"
latency_median=$(bench_value bench_taglist "$taglist_run" median_ms)
latency_p99=$(bench_value bench_taglist "$taglist_run" p99_ms)
pass_measured=$(bench_value bench_taglist "$taglist_run" pass_ms)
check_cpu=$(bench_value bench_taglist cpuWithoutTag/check:1/iterations:1/real_time process_cpu_pct)
lying_run="containerLeftLying/iterations:1/real_time"
lying_hour=$(bench_value bench_taglist "$lying_run" rows_in_an_hour)
lying_start=$(bench_value bench_taglist "$lying_run" journal_rows_start)
lying_later=$(bench_value bench_taglist "$lying_run" journal_rows_later)
lying_audit=$(bench_value bench_taglist "$lying_run" audit_rows)
lying_looks=$(bench_value bench_taglist "$lying_run" looks_per_s)
read -r reset0 inventory0 < <(model_us 38400 0)
read -r _ inventory1 < <(model_us 38400 1)
latency_limits=$(awk -v p=$((reset0 + inventory0)) -v i="$inventory1" \
    'BEGIN { printf "%.1f %.1f %.1f %.1f", (p / 2 + i) / 1e3, (p + i) / 1e3, p / 1e3, i / 1e3 }')
read -r latency_model_median latency_model_worst pass_model inventory_model <<<"$latency_limits"

run_bench_as pcsc_taglist bench_taglist --benchmark_filter='^pcscPlacementToRow/'
pcsc_run="pcscPlacementToRow/iterations:200/manual_time"
pcsc_latency_row=$(awk -v m="$(bench_value pcsc_taglist "$pcsc_run" median_ms)" \
    -v p="$(bench_value pcsc_taglist "$pcsc_run" p99_ms)" \
    -v lo="$(bench_value pcsc_taglist "$pcsc_run" min_ms)" \
    -v hi="$(bench_value pcsc_taglist "$pcsc_run" max_ms)" \
    'BEGIN { printf "| Tag laid on a PC/SC reader (pcscd, virtual reader) to its row in the tag list | "
             printf "median %.0f ms, 99th percentile %.0f ms | ", m, p
             printf "range %.0f–%.0f ms; the daemon looks for a card every 400 ms |", lo, hi }')

# --- Start-up, CPU share and memory of the real station on a virtual display ------------------

log "the station on a virtual display (soak of $soak s)"
"$root/scripts/with-window-manager.sh" bash "$0" --bin "$bin" --soak "$soak" \
    --station-part "$work/station.txt" || fail "the station's measurements failed"
declare -A station
while IFS='=' read -r key value; do station[$key]=$value; done <"$work/station.txt"
read -r start_med start_min start_max start_runs <<<"${station[startup_ms]}"
read -ra rss <<<"${station[rss_kb]}"
rss_peak=$(printf '%s\n' "${rss[@]}" | sort -n | tail -n1)
mib() { awk -v k="$1" 'BEGIN { printf "%.1f MiB", k / 1024 }'; }
growth=$(awk -v a="${rss[0]}" -v b="${rss[-1]}" -v s="$soak" \
    'BEGIN { printf "%+.1f", (b - a) / 1024 * 3600 / s }')

# --- The report -------------------------------------------------------------------------------

cores=$(nproc)
cpu_model=$(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo)
machine="$cores cores ($cpu_model)"
grep -qw hypervisor /proc/cpuinfo && machine+=" of a virtual machine"
[ "$cores" -ne 2 ] || machine+="; a 2-core shared machine, other builds may run meanwhile"
build_type=$(sed -n 's/^CMAKE_BUILD_TYPE:STRING=//p' "$bin/../CMakeCache.txt" 2>/dev/null || true)
load_end=$(cut -d' ' -f1 /proc/loadavg)
minutes=$(awk -v us=$(($(now_us) - script_start)) 'BEGIN { printf "%.1f", us / 6e7 }')
ms2() { printf "%.2f ms" "$1"; }
soak_text=$(awk -v s="$soak" 'BEGIN { if (s % 60) printf "%d s", s; else printf "%d min", s / 60 }')

mkdir -p "$(dirname "$output")"
# Paragraphs are filled to the repository's line width; the table is left as it is.
{
    fmt -w 100 <<EOF
# Performance

Measured on $(date -u '+%Y-%m-%d %H:%M UTC') at commit $commit, build type ${build_type:-unknown};
$machine; load average ${load_start} at the start, ${load_end} at the end. Made by
\`bash bench/performance.sh --soak $soak\` in $minutes minutes; rerun it to measure again.

EOF
    cat <<EOF
| Figure | Measured | Beside it |
|---|---|---|
| Start-up to the visible entry window "dur4" | median ${start_med} ms (${start_min}–${start_max} ms, $start_runs runs) | |
| LoadOrderList, $list_rows orders of one day among $large_orders | median $(ms2 "$list_med") ($(ms2 "$list_min")–$(ms2 "$list_max")) | sqlite3 shell: $(ms2 "$cli_list_med") ($(ms2 "$cli_list_min")–$(ms2 "$cli_list_max")) |
| OpenOrderLines, the $lines_rows lines of one order | median $(ms2 "$lines_med") ($(ms2 "$lines_min")–$(ms2 "$lines_max")) | sqlite3 shell: $(ms2 "$cli_lines_med") ($(ms2 "$cli_lines_min")–$(ms2 "$cli_lines_max")) |
${inventory_rows}| Tag laid on the reader to its row in the tag list, 38400 Bd 8E1 | median $(printf %.1f "$latency_median") ms, 99th percentile $(printf %.1f "$latency_p99") ms | limit: median $latency_model_median ms, at most $latency_model_worst ms |
$pcsc_latency_row
| Rows a container left lying on the reader for an hour adds to the journal (warned of on every turn) | $(printf %.0f "$lying_hour") | bench_taglist: $(printf %.0f "$lying_start") in its first 5 s, $(printf %.0f "$lying_later") in the next 5 s, $(printf %.0f "$lying_audit") audit rows in 10 s, $(printf %.0f "$lying_looks") looks at the tag list a second |
| Station's CPU share waiting for a container (inventory running, balances polled) | ${station[cpu_pct]} % of one core | bench_taglist, offscreen, no balance: $(printf %.2f "$check_cpu") % |
| dispensing-report, 1 day ($report_rows lines) of $large_orders orders, file | $(figure file:1) | sqlite3 shell, its 3 statements: $(figure shell:1) |
| dispensing-report, 30 days, file | $(figure file:30) | sqlite3 shell: $(figure shell:30) |
| dispensing-report, 1 day, server | $(figure server:1) | psql, its 3 statements: $(figure psql:1) |
| dispensing-report, 30 days, server | $(figure server:30) | psql: $(figure psql:30) |
| Station's memory (VmRSS) after a $soak_text soak | $(mib "${rss[-1]}") (start $(mib "${rss[0]}"), peak $(mib "$rss_peak")) | extrapolated growth: $growth MiB an hour |

EOF
    fmt -w 100 <<EOF
**Start-up.** The station's folder is prepared by the rig (\`scripts/rig/station-rig.sh\`): the
demo database, the COM names, both balance emulators and the reader emulator serving. The script
starts \`dispensing-station\` there $start_runs times on a virtual display (Xvfb with openbox, via
\`scripts/with-window-manager.sh\`) and times each run from the start of the process until
\`xdotool search --onlyvisible --name '^dur4\$'\` first finds the window; it looks every 10 ms,
because \`xdotool search --sync\` looks only every half second. The figure includes the window
manager framing and mapping the window; the resolution is about 10 ms plus the time of one
xdotool call. Xvfb draws in software, and the first run may read the program and libraries from
disk rather than from the page cache.

**Database statements.** \`bench_database\` makes a database of $database_summary (demo seed 1,
around today) and times the station's statements through its query object: LoadOrderList is the
order list of today ($list_rows rows), OpenOrderLines the drug lines of order $sequence, the last
row of that list
($lines_rows rows), each run and walked through to the end. The figures are the median and
range of 5 repetitions of Google Benchmark's timed loops. Beside them, the sqlite3 shell
($(sqlite3 --version | cut -d' ' -f1)) runs the same statements, written by hand with single-quoted
values, on a file of ${database_mb} MiB that \`demo-db-maker --orders $large_orders --lines
$large_lines\` made with the same seed and day (it took ${database_seconds} s; the shell finds the
same row counts, which the script checks). Each timed line of the shell runs the statement
$shell_batch times with its rows written to /dev/null, timed by \`.timer on\`; after one warm-up
line, $shell_runs lines give the median and range per run. Both read a file held in the page
cache. The shell formats rows as text; the station converts them into its fields, so the
difference between the two columns is the cost of the station's query layer.

**The day's report.** The script copies the same large file onto a throw-away cluster of its own
with \`db-copy --create-tables\`, audit table included, and gathers the planner's statistics. It
runs \`dispensing-report\` $report_runs times after a warm-up run, each as a user would (the process,
its connection, the HTML page with its chart, written to a file), over yesterday (the demo history
has audit rows for past days only) and over the 30 days up to yesterday, on the file and on the
server. Beside it, the report's three statements (the orders, the lines and the audit rows of the
days) written by hand: in the sqlite3 shell timed as above, and in psql by its own \`\\timing\`,
summed over the three, $report_runs runs after a warm-up.

**Inventory passes.** \`bench_inventory\` runs the inventory thread's pass (an RF reset, then an
inventory in 16 slots) against the reader emulator with its reply delays on, as fast as the reader
library allows, and counts passes per second. The limit is one pass's time in the emulator's model
(docs/reader-emulator.md, "Timing"): for each of the two exchanges, the line time of the request
and of the reply frame at the rate with 11 bits a character (8E1), plus the air time: 5 ms for the
RF reset; for the inventory, its request, 16 slots of listening and a single-slot answer time for
each transponder (each in a slot of its own); and before each of the two requests the quiet line
that "TxTimeControl" keeps for "TxDelayTime" ms (on, 5 ms, as a port opens and as the search
leaves it), which the reader library waits out whatever the host does. The script computes this
itself and checks it against the limit the benchmark reports. A pseudo-terminal has no wire: the bytes cross at once
and the emulator holds each reply until its modelled time, so what a pass takes beyond the limit
is spent in the host, the reader library and the emulator between the exchanges.

**Tag-to-list latency.** \`bench_taglist\` runs the station's tag inventory and tag list
(offscreen, 38400 Bd 8E1, delays on), lays one tag 200 times at a random moment (0–40 ms after the
list showed the field empty) and times each until its row is in the list; the median pass it
measured was $(printf %.1f "$pass_measured") ms against $pass_model ms modelled for a pass without
a tag. The emulator takes the field as it is when an inventory request arrives, so a tag laid at a
random moment waits for the next pass's inventory (from 0 to one pass without a tag, $pass_model
ms) and then for that inventory's exchange with the tag ($inventory_model ms): the limit is half a
pass plus the exchange as the median, a whole pass plus the exchange at most. The figure includes
the hand-over to the UI thread; a busy machine lengthens the passes and with them the latency.

**PC/SC reader.** Both benchmarks also start a private \`pcscd\` (\`scripts/rig/pcsc-rig.sh\`,
its socket in a temporary folder) with the virtual reader driver of vsmartcard-vpcd, and a
second reader emulator whose PC/SC face is the card that reader presents; the reader library
reaches it as port 5, and the benchmarks end the daemon however they end. \`bench_inventory\`
runs the same pass (RF reset, which ends the card connection, then the Inventory, a Get Data to
the card) as fast as the library allows, with one card presented and with none. No line or air
time bounds a pass with a card: it crosses the PC/SC client library, the daemon's socket, the
driver and a TCP link on this machine, so the figure is the cost of that path and says nothing of
a real desktop reader's air time. Without a card each pass waits up to 50 ms for one, as long as
a serial reader's inventory takes, so the loop does not spin. \`bench_taglist\` runs the station's
tag inventory on that port and lays the tag 200 times at a random moment (0–500 ms after the list
showed the field empty), timing each until its row is in the list. The daemon learns of a card
only at its presence checks, 400 ms apart, and a tag laid again before the daemon saw it go is
first shown gone at the next check: the latency runs from 0 to two such periods, and that
dominates the figure.

**CPU share.** The rig starts the real station with the real emulators on the virtual display,
and the demo steps (\`scripts/rig/demo-scenario.sh\`) click the entry picture, take the reader
the search finds, open the balance window on COM2 and click the first order: the station then
waits for a container with its inventory running, the balance on COM1 polled and the terminal
window asking the balance on COM2. Its utime and stime from /proc/PID/stat over
${station[cpu_wall_s]} s, in clock ticks of 1/$(getconf CLK_TCK) s, give the share of one core
(${station[threads]} threads). The tick resolution limits it to about
$(awk -v s="${station[cpu_wall_s]}" -v hz="$(getconf CLK_TCK)" 'BEGIN { printf "%.2f", 100 / hz / s }')
% of one core;
drawing through Xvfb is part of it. \`bench_taglist\`'s figure beside it is the same wait for
a container without windows, X or balance, measured inside the process.

**Memory.** After the CPU sampling, the station went on waiting for a container for $soak s.
Its VmRSS from /proc/PID/status was taken at the start of the soak, every $rss_every s and at the
end ($(printf '%s ' "${rss[@]}")kB); VmHWM, the peak since it started, was
$(mib "${station[hwm_kb]}"). Both balances had been asked during the soak, and after it a foreign
container laid on the reader still made the station warn, so the inventory and the check were
running. The growth an hour is extrapolated from the start and end of this one soak: over a short
soak it mostly shows caches filling, not a trend; the default soak of an hour says more. VmRSS
counts the pages of shared libraries the station has touched.

## Several stations on one database server

EOF
    cat <<EOF
| Figure | On the server ($server_version) | In the file |
|---|---|---|
| LoadOrderList, $server_list_rows orders of one day among $large_orders | median $(ms2 "$server_list_med") ($(ms2 "$server_list_min")–$(ms2 "$server_list_max")) | median $(ms2 "$list_med") ($(ms2 "$list_min")–$(ms2 "$list_max")) |
| OpenOrderLines, the $server_lines_rows lines of one order | median $(ms2 "$server_lines_med") ($(ms2 "$server_lines_min")–$(ms2 "$server_lines_max")) | median $(ms2 "$lines_med") ($(ms2 "$lines_min")–$(ms2 "$lines_max")) |
| Lines stored, 1 station | ${dispensing[server:1]} | ${dispensing[file:1]} |
| Lines stored, 4 stations at once | ${dispensing[server:4]} | ${dispensing[file:4]} |
| Lines stored, 16 stations at once | ${dispensing[server:16]} | |

EOF
    fmt -w 100 <<EOF
**Statements on the server.** \`bench_database\` also starts a throw-away PostgreSQL cluster of its
own (\`scripts/rig/postgres-rig.sh\`: a Unix socket, fsync on, the server on this same machine),
fills a database there with the same content as the file through the demo maker, gathers the
planner's statistics (ANALYZE, as autovacuum would soon after such a load), and times the same
measurement code through a connection to the server: the order list of today and the lines of
order $server_sequence, the last row of the server's list. Each statement is a round trip over the
socket, and so is the look-up in the catalogue that the query layer makes once per connection
for the columns of each table a result reads.

**Dispensing stores.** \`bench_dispensing\` makes a database of $dispensing_summary on a
cluster of its own and the same in a file, and runs 1, 4 or 16 \`dispense-worker\`
processes at once: each is a station without its window that loads the order list of today and
stores each line of its share of the orders as the station does (Edit, 配藥情況 set to 配藥完成,
Post: a transaction committed durably, with the row matched on the values read). The shares are
disjoint, so no store conflicts; the $dispensing_lines lines of the day are reset before each run.
A run is timed from releasing the workers, each with its list loaded and its connection open, until
the last has ended; the figure is the lines stored a second over that time, the median and range
of $dispensing_runs runs. The workers, the server and the file share the machine's $cores cores;
each store in the file waits for its own journal to reach the disk.
EOF
} >"$work/report.md"
mv "$work/report.md" "$output"
log "wrote $output in $minutes minutes"
