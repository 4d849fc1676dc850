#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds the game twice (Release with the tests and
# benchmarks, and Debug with the address and undefined-behaviour sanitizers)
# and runs every test in both builds (and each Release test program as one
# process, beside a display and dialog tools none may reach); from the
# Release build it runs the benchmarks once to report their ratios and
# measures the whole game (start-up, idle CPU, memory). At the end, or when a
# stage fails, it prints each stage's wall and CPU time.
set -euo pipefail

# Each stage's wall time and the CPU time of its processes (user + system,
# all children of this script), printed at the end, and on a failure too.
stage_names=()
stage_walls=()
stage_cpus=()
stage_name=""
stage_times_file="$(mktemp)"
read_children_cpu() {  # children_cpu: the CPU seconds of the finished children so far
  times > "$stage_times_file"  # in this shell: in a pipe or $( ) it would count a subshell's
  children_cpu="$(tail -n1 "$stage_times_file" |
    awk '{ t = 0; for (i = 1; i <= 2; i++) { split($i, p, /[ms]/); t += p[1] * 60 + p[2] } printf "%.1f", t }')"
}
stage_end() {
  [ -n "$stage_name" ] || return 0
  read_children_cpu
  stage_names+=("$stage_name")
  stage_walls+=($((SECONDS - stage_wall_start)))
  stage_cpus+=("$(echo "$children_cpu - $stage_cpu_start" | bc -l)")
  stage_name=""
}
stage() {
  stage_end
  stage_name="$1"
  stage_wall_start=$SECONDS
  read_children_cpu
  stage_cpu_start="$children_cpu"
  echo "=== $1"
}
print_stage_times() {
  local status=$?
  local unfinished="$stage_name"
  stage_end
  echo
  printf '%-44s %8s %9s\n' "Stage" "Wall" "CPU"
  for i in "${!stage_names[@]}"; do
    printf '%-44s %5d:%02d %7.0f s\n' "${stage_names[$i]}" $((stage_walls[i] / 60)) $((stage_walls[i] % 60)) "${stage_cpus[$i]}"
  done
  printf '%-44s %5d:%02d\n' "Whole run" $((SECONDS / 60)) $((SECONDS % 60))
  [ -n "$unfinished" ] && [ "$status" -ne 0 ] && echo "Failed in: $unfinished"
  rm -f "$stage_times_file"
  return "$status"
}
trap print_stage_times EXIT
# Stopped by hand or by CI's limit: the times so far are printed on the way out.
trap 'exit 130' INT
trap 'exit 143' TERM

stage "Set-up: packages"
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
pavendra_install_packages

jobs="$(nproc)"

stage "Licence lines"
bash "$PAVENDRA_ROOT/tools/spdx.sh" --check

# One optimised build, the game as players build it (Release) with the tests
# and benchmarks beside it: its tests run, then the benchmarks and the whole
# game's measures from the same objects.
stage "Build (Release)"
pavendra_build build-test -DCMAKE_BUILD_TYPE=Release -DPAVENDRA_WERROR=ON
stage "Tests"
(cd "$PAVENDRA_ROOT/build-test" && ctest --output-on-failure -j "$jobs")
# ctest runs every test in a process of its own; each program must also pass
# with all its tests in one process, where one test's leftovers meet the next.
# They run as inside a desktop session, with a display and dialog tools at
# hand: no test may show a window or a dialog there, nor start zenity or kdialog.
stage "Each test program as one process, on a desktop"
bash "$PAVENDRA_ROOT/tools/tests-on-a-desktop.sh" "$PAVENDRA_ROOT/build-test"

stage "Benchmarks"
"$PAVENDRA_ROOT/build-test/bin/pavendra_bench" --benchmark_min_time=0.05
stage "The whole game: start-up, idle, memory"
"$PAVENDRA_ROOT/tools/measure.sh" "$PAVENDRA_ROOT/build-test"

stage "Build with sanitizers"
pavendra_build build-asan -DCMAKE_BUILD_TYPE=Debug -DPAVENDRA_WERROR=ON -DPAVENDRA_SANITIZE=ON -DPAVENDRA_BENCH=OFF
stage "Tests with sanitizers"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$PAVENDRA_ROOT/tests/lsan.supp:print_suppressions=0"
(cd "$PAVENDRA_ROOT/build-asan" && ctest --output-on-failure -j "$jobs")
