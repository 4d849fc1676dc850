#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds the game twice (plain, and with the address
# and undefined-behaviour sanitizers) and runs every test in both builds (and
# each plain test program as one process, beside a display and dialog tools
# none may reach), then builds the benchmarks in
# Release, runs them once to report their ratios and measures the whole game
# (start-up, idle CPU, memory).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
pavendra_install_packages

jobs="$(nproc)"

echo "=== Licence lines"
bash "$PAVENDRA_ROOT/tools/spdx.sh" --check

echo "=== Build"
pavendra_build build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPAVENDRA_WERROR=ON
echo "=== Tests"
(cd "$PAVENDRA_ROOT/build-test" && ctest --output-on-failure -j "$jobs")
# ctest runs every test in a process of its own; each program must also pass
# with all its tests in one process, where one test's leftovers meet the next.
# They run as inside a desktop session, with a display and dialog tools at
# hand: no test may show a window or a dialog there, nor start zenity or kdialog.
echo "=== Each test program as one process, on a desktop"
bash "$PAVENDRA_ROOT/tools/tests-on-a-desktop.sh" "$PAVENDRA_ROOT/build-test"

echo "=== Build with sanitizers"
pavendra_build build-asan -DCMAKE_BUILD_TYPE=Debug -DPAVENDRA_WERROR=ON -DPAVENDRA_SANITIZE=ON -DPAVENDRA_BENCH=OFF
echo "=== Tests with sanitizers"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$PAVENDRA_ROOT/tests/lsan.supp:print_suppressions=0"
(cd "$PAVENDRA_ROOT/build-asan" && ctest --output-on-failure -j "$jobs")

# The benchmarks and the whole-game measures in a Release build of their own:
# only the game, its data archive and the benchmark program are built there.
echo "=== Build for the benchmarks (Release)"
cmake -S "$PAVENDRA_ROOT" -B "$PAVENDRA_ROOT/build-release" -DCMAKE_BUILD_TYPE=Release -DPAVENDRA_TESTS=OFF >/dev/null
cmake --build "$PAVENDRA_ROOT/build-release" -j "$jobs" --target pavendra pavendra_data pavendra_bench
echo "=== Benchmarks"
"$PAVENDRA_ROOT/build-release/bin/pavendra_bench" --benchmark_min_time=0.05
echo "=== The whole game: start-up, idle, memory"
"$PAVENDRA_ROOT/tools/measure.sh" "$PAVENDRA_ROOT/build-release"
