#!/usr/bin/env bash
# Builds everything and runs every test: a normal build (with the performance report and its short
# soak, the soak with faults, and the package's install test, which installs and purges it: root or
# sudo), then one with AddressSanitizer and UndefinedBehaviorSanitizer, then one with
# ThreadSanitizer.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

bash scripts/setup.sh --test

# Most tests wait on devices, windows and servers rather than compute: three at a time keep two
# cores busy (measured: the sanitizer builds' tests took no longer than the normal build's at two).
parallel_tests=3

echo "== Format check"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

# Tests are switched on for every folder: run.sh configures build/ without them. A folder whose
# ctest finds no test fails the run.
echo "== Build and test"
bash scripts/build.sh build -DSTATION_BUILD_TESTS=ON
(cd build && ctest --output-on-failure --no-tests=error -j"$parallel_tests")

# Every build compiles the station's sources a few to a unit; a source that compiles only beside
# the others of its unit (a missing include) would break the day a new file regroups them.
echo "== Each source compiles on its own"
python3 scripts/sources-alone.py build

echo "== Performance report, with a short soak"
bash bench/performance.sh --bin build/bin --soak 60 --output build/performance.md

echo "== Soak with faults, two minutes on the file and two on a server"
bash bench/soak.sh --minutes 2 --bin build/bin
bash bench/soak.sh --minutes 2 --server --bin build/bin

echo "== The package: built from this build, installed, run and purged"
bash scripts/install-test.sh

echo "== Fuzz the wire protocol"
bash scripts/fuzz.sh

# The sanitizers' builds build no benchmarks: those measure the normal build.
echo "== Build and test with sanitizers"
bash scripts/build.sh build-sanitize -DSTATION_BUILD_TESTS=ON -DSTATION_SANITIZE=ON \
    -DSTATION_BUILD_BENCH=OFF
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1"
export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
(cd build-sanitize && ctest --output-on-failure --no-tests=error -j"$parallel_tests")

echo "== Build and test with ThreadSanitizer"
bash scripts/build.sh build-tsan -DSTATION_BUILD_TESTS=ON -DSTATION_SANITIZE_THREAD=ON \
    -DSTATION_BUILD_BENCH=OFF
# Qt is not built with the sanitizer: the accesses it makes itself are left out, as its locks are
# invisible to the sanitizer; only Qt's own reports may be suppressed (see tsan.supp).
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:ignore_noninstrumented_modules=1"
TSAN_OPTIONS+=":suppressions=$root/scripts/tsan.supp"
# This compiler's sanitizer cannot place its shadow memory under the wider address randomization
# of newer kernels (vm.mmap_rnd_bits above 28: "FATAL: ThreadSanitizer: unexpected memory
# mapping"), so the tests run with randomization off; setarch needs no root.
no_randomization=()
if setarch "$(uname -m)" -R true 2>/dev/null; then
    no_randomization=(setarch "$(uname -m)" -R)
fi
(cd build-tsan && "${no_randomization[@]}" ctest --output-on-failure --no-tests=error -j"$parallel_tests")
