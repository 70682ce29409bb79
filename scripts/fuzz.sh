#!/usr/bin/env bash
# Builds the fuzzers of device input (the wire protocol, the balance's lines) with clang and runs
# each for a fixed number of inputs from a fixed seed, so a run is repeatable. Exits non-zero when
# one finds a fault; the input that caused it is left in build-fuzz/.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$root/build-fuzz"
readerlib="$root/readerlib"
protocol="$readerlib/protocol"
src="$root/src"
runs="${FUZZ_RUNS:-200000}"

mkdir -p "$out"
flags=(-std=c++20 -O1 -g -Wall -Wextra -Werror
       -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined)

# run NAME MAX_LEN: runs build-fuzz/NAME over the seeds in build-fuzz/seeds-NAME.
run() {
    local name="$1" corpus="$out/corpus-$1" log="$out/$1.log" status=0
    rm -rf "$corpus"
    mkdir -p "$corpus"
    ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}" \
        "$out/$name" -runs="$runs" -seed=1 -max_len="$2" -artifact_prefix="$out/" \
        "$corpus" "$out/seeds-$name" >"$log" 2>&1 || status=$?
    if [ "$status" -eq 0 ]; then
        grep -E '^#[0-9]+.*DONE|^Done' "$log"
    else
        tail -n 60 "$log"
        echo "$name found a fault (exit $status); see $log" >&2
        exit "$status"
    fi
}

# The transponder table's default calls are the reader library's, so that is built in as well.
clang++ "${flags[@]}" \
    -I"$protocol" -I"$readerlib" -I"$readerlib/include" \
    -I"$src/transponder" -I"$src/support" -I"$src/platform" -I"$src/platform_serial" -I/usr/include/PCSC \
    "$root/tests/fuzz/fuzz_wire.cpp" \
    "$protocol/WireFrame.cpp" "$protocol/Deframer.cpp" \
    "$protocol/LineTiming.cpp" "$protocol/IsoLayout.cpp" \
    "$readerlib/ReplyCollector.cpp" "$readerlib/ReplyResult.cpp" \
    "$readerlib/CardExchange.cpp" "$readerlib/CardApdu.cpp" "$readerlib/CardStatus.cpp" \
    "$src/transponder/ZQKRT_Table.cpp" "$src/transponder/ZQKRT_TableArray.cpp" \
    "$src/support/PubFunctions.cpp" \
    "$readerlib/zqkrt.cpp" "$readerlib/ReaderRegistry.cpp" "$readerlib/ReaderParameterAccess.cpp" \
    "$readerlib/ReaderCommand.cpp" "$readerlib/ReaderTransport.cpp" \
    "$readerlib/ProtocolLog.cpp" "$readerlib/ParameterText.cpp" "$readerlib/PortTable.cpp" \
    "$src/platform_serial/SerialPort.cpp" "$src/platform_serial/SerialPortPosix.cpp" \
    "$src/platform_serial/LineAttributes.cpp" "$src/platform_serial/ComPortNames.cpp" \
    -o "$out/fuzz_wire"

# Seeds in the fuzzer's layout: the planted reply's data, the noise it goes behind, then what the
# fuzzer takes from the end: data length, silence before the reply, where the reply goes (low
# byte first), 16 read steps (the last first), the reply's status and address, the ISO command,
# and the request's command and address. Arguments: name, request address, command, ISO
# command, status, read steps, data, noise; all hex.
seeds="$out/seeds-fuzz_wire"
rm -rf "$seeds"
mkdir -p "$seeds"
seed() {
    local at=$((${#8} / 2)) steps
    steps=$(fold -w2 <<<"$6" | tac | tr -d '\n')
    local hex="$7$8"
    hex+=$(printf '%02X00%02X%02X' $((${#7} / 2)) $((at & 255)) $((at >> 8)))
    hex+="$steps$5$2$4$3$2"
    printf "$(sed 's/../\\x&/g' <<<"$hex")" >"$seeds/$1"
}
none=00000000000000000000000000000000
seed get-baud FF 52 00 00 "$none" 02 ""
seed get-baud-behind-requests FF 52 00 00 0E0D0000000000000000000000000000 02 \
    A502FF52DC02A504FFB00100D04B
seed stray-start-over-another-command FF 52 00 00 "$none" 02 A507A503006900A194A5F0
seed silence-inside-stray-start 00 52 00 00 1E000000000000000000000000000000 02 A5F0A50400520002D108
seed rf-reset-field-off 03 69 00 84 0E000000000000000000000000000000 "" 0011A5F033
seed inventory 00 B0 01 00 0D000000000000000000000000000000 01000078563412000104E0 A5F0A50211
seed system-information FF B0 2B 00 "$none" 000F78563412000104E001021B0301 A5A5
seed read-blocks 00 B0 23 94 "$none" 000400010203040005060708 ""
seed transponder-error 00 B0 24 95 "$none" 0103 A503
seed refused FF B0 A0 02 "$none" "" ""

run fuzz_wire 1024

clang++ "${flags[@]}" -I"$src/balance" \
    "$root/tests/fuzz/fuzz_balancereading.cpp" "$src/balance/BalanceReading.cpp" \
    "$src/balance/BalanceDialect.cpp" "$src/balance/ReadingValue.cpp" \
    "$src/balance/StationDialect.cpp" "$src/balance/SicsDialect.cpp" "$src/balance/SbiDialect.cpp" \
    -o "$out/fuzz_balancereading"
# Seeds: lines of each kind a balance sends, in every dialect.
seeds="$out/seeds-fuzz_balancereading"
rm -rf "$seeds"
mkdir -p "$seeds"
n=0
for line in 'ST,+00012.34  g\r\n' 'US,-00003.50  g\r\n' 'OL,+9999999E+19\r\n' 'ST,+0012.3456 mg' \
    'ST,+00000012pcs\r' '   12.3456 g\n' '-0.5 kg' 'ST,+00005.00 ct' 'S S      12.34 g\r\n' \
    'S D     -0.012 kg\r\n' 'S +\r\n' 'S -\r\n' 'ES\r\n' 'N     +    12.34 g  \r\n' \
    'G#    -     3.50     \r\n' '    High        \r\n' 'T     +     1.00 g  '; do
    printf -- "$line" >"$seeds/line-$((n += 1))"
done
run fuzz_balancereading 128
