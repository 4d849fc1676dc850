#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Plays the whole game headless with a seeded random player, run after run,
# each with a fresh seed, and checks the puzzle after every frame.
#
#   tools/soak.sh [runs] [events per run]      (defaults: 10 runs of 100000 events)
#
# Builds the soak test in build/ (configured when missing). Prints each run's
# seed and what it did; the seed of a failing run is printed with the command
# that replays it. Every run is added to build/soak-totals.tsv, whose sum is
# printed at the end. Exits non-zero when a run failed.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
set +e
pavendra_install_packages

runs="${1:-10}"
events="${2:-100000}"
build="$PAVENDRA_ROOT/build"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$PAVENDRA_ROOT" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 2
fi
cmake --build "$build" -j "$(nproc)" --target test_soak || exit 2

totals="$build/soak-totals.tsv"
[ -f "$totals" ] || printf 'date\tseed\tevents\tresult\n' >"$totals"
failed=0
for ((run = 1; run <= runs; run++)); do
  seed="$(od -An -N4 -tu4 /dev/urandom | tr -d ' ')"
  log="$build/soak-$seed.log"
  PAVENDRA_SOAK_SEED="$seed" PAVENDRA_SOAK_EVENTS="$events" SDL_AUDIODRIVER=dummy \
    "$build/bin/test_soak" --gtest_brief=1 >"$log" 2>&1
  status=$?
  summary="$(sed -n 's/^soak //p' "$log" | tail -1)"
  done_events="$(echo "$summary" | sed -n 's/^seed [0-9]*: \([0-9]*\) events.*/\1/p')"
  if [ $status -eq 0 ]; then
    echo "run $run: ${summary:-seed $seed}"
    printf '%s\t%s\t%s\tpassed\n' "$(date -Is)" "$seed" "${done_events:-0}" >>"$totals"
    rm -f "$log"
  else
    failed=1
    echo "run $run FAILED: seed $seed"
    grep -A3 -m1 'Failure' "$log" | sed 's/^/  /'
    echo "  replay: PAVENDRA_SOAK_SEED=$seed PAVENDRA_SOAK_EVENTS=$events $build/bin/test_soak   (log: $log)"
    printf '%s\t%s\t%s\tFAILED\n' "$(date -Is)" "$seed" "${done_events:-0}" >>"$totals"
  fi
done
awk -F'\t' 'NR > 1 { events += $3; runs++; if ($4 != "passed") failed++ }
  END { printf "All soak runs so far: %d runs, %d events, %d failed\n", runs, events, failed }' "$totals"
exit $failed
