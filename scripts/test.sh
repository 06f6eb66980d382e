#!/bin/bash
# Installs what is needed, builds Heliodex and runs every test, with
# AddressSanitizer and UndefinedBehaviorSanitizer; any report fails the run.
# When clang is there, each fuzz target also runs for 30 seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
heliodex_install_packages "${HELIODEX_RUN_PACKAGES[@]}" "${HELIODEX_TEST_PACKAGES[@]}"

# Set before the build too: the build runs every test executable once to
# list its tests, under the same sanitizers.
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"

JOBS=$(nproc)
BUILD=build-test
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DHELIODEX_SANITIZE=ON -DHELIODEX_BENCH=ON
cmake --build "$BUILD" -j "$JOBS"

# A real printer for the print tests: a CUPS-PDF queue as the default
# printer for this run (scripts/print-queue.sh). Where cupsd cannot start,
# the print tests say so and print to PDF files instead.
if bash scripts/print-queue.sh up; then
  trap 'bash scripts/print-queue.sh down' EXIT
else
  echo "No CUPS-PDF printer for this run: the print tests print to PDF files instead."
fi

# The write-fault harness keeps one summary per saver here.
rm -rf "$BUILD/write-faults"
ctest --test-dir "$BUILD" --output-on-failure -j "$JOBS" --timeout 300
if compgen -G "$BUILD/write-faults/*.txt" >/dev/null; then
  echo "Write-fault harness (every step of each saver's writes failed in turn, then a full disk):"
  cat "$BUILD"/write-faults/*.txt
fi

if command -v clang++ >/dev/null 2>&1; then
  FUZZ=build-fuzz
  CC=clang CXX=clang++ cmake -S . -B "$FUZZ" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DHELIODEX_FUZZ=ON -DHELIODEX_TESTS=ON -DHELIODEX_BENCH=OFF
  cmake --build "$FUZZ" -j "$JOBS" --target heliodex_fuzzers
  for f in "$FUZZ"/tests/fuzz/fuzz_*; do
    [ -f "$f" ] && [ -x "$f" ] || continue
    name=$(basename "$f")
    corpus=("$FUZZ/corpus/$name")
    mkdir -p "${corpus[0]}"
    [ -d "tests/fuzz/corpus/$name" ] && corpus+=("tests/fuzz/corpus/$name")
    echo "Fuzzing $name for 30 s"
    "$f" -max_total_time=30 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      "${corpus[@]}" 2>&1 | tail -n 12
  done
fi
echo "All tests passed."
