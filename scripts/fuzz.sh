#!/usr/bin/env bash
# Builds the wire protocol fuzzer with clang and runs it for a fixed number of inputs from a
# fixed seed, so a run is repeatable. Exits non-zero when it finds a fault; the input that
# caused it is left in build-fuzz/.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$root/build-fuzz"
protocol="$root/readerlib/protocol"
runs="${FUZZ_RUNS:-200000}"

mkdir -p "$out"
clang++ -std=c++20 -O1 -g -Wall -Wextra -Werror \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$protocol" \
    "$root/tests/fuzz/fuzz_wire.cpp" \
    "$protocol/WireFrame.cpp" "$protocol/Deframer.cpp" \
    "$protocol/LineTiming.cpp" "$protocol/IsoLayout.cpp" \
    -o "$out/fuzz_wire"

# Seeds: valid frames and reply data, each behind the byte that picks the split point.
seeds="$out/seeds"
corpus="$out/corpus"
rm -rf "$seeds" "$corpus"
mkdir -p "$seeds" "$corpus"
seed() {
    printf "$(sed 's/../\\x&/g' <<<"$2")" >"$seeds/$1"
}
seed get-baud-request 03A502FF52DC02
seed rf-reset-request 00A502FF698C8D
seed inventory-request 05A504FFB00100D04B
seed get-baud-reply 04A50400520000C32B
seed inventory-reply 07A50E00B00001000078563412000104E06F76
seed system-information-request 09A50CFFB02B0078563412000104E094D4
seed system-information-reply 11A51200B000000F78563412000104E001021B0301087F
seed read-blocks-reply 02A50F00B000000400010203040005060708AC9E
seed two-frames 0BA502FF52DC02A50400520000C32B
seed inventory-data 000100000078563412000104E0
seed system-information-data 00000F78563412000104E001021B030108

log="$out/fuzz.log"
if ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}" \
    "$out/fuzz_wire" -runs="$runs" -seed=1 -max_len=1024 -artifact_prefix="$out/" \
    "$corpus" "$seeds" >"$log" 2>&1; then
    grep -E '^#[0-9]+.*DONE|^Done' "$log"
else
    status=$?
    tail -n 60 "$log"
    echo "fuzz_wire found a fault (exit $status); see $log" >&2
    exit "$status"
fi
