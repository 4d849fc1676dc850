#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fuzzes the game's readers with libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer.
#
#   tools/fuzz.sh [seconds] [target...]     e.g. tools/fuzz.sh 300 bmp savedgame
#
# Builds the fuzz programs with clang in build-fuzz/ (configured when missing),
# then runs each target in turn for the given seconds (60 by default; every
# target when none is named). Each starts from its seed corpus fuzz/corpus/NAME
# and from the inputs earlier runs found, which are kept in
# build-fuzz/corpus/NAME. Prints per target the executions, executions per
# second, coverage and any finding (the input is kept in build-fuzz/findings/).
# Every run is added to build-fuzz/totals.tsv, whose sums are printed at the end.
# Exits non-zero when anything was found. Run it under `nice` on a shared machine.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
set +e
pavendra_install_packages fuzz

seconds="${1:-60}"
shift || true
build="$PAVENDRA_ROOT/build-fuzz"
if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for source in "$PAVENDRA_ROOT"/fuzz/fuzz_*.cpp; do
    name="$(basename "$source" .cpp)"
    targets+=("${name#fuzz_}")
  done
fi

if [ ! -f "$build/CMakeCache.txt" ]; then
  launcher=()
  if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  CC=clang CXX=clang++ cmake -S "$PAVENDRA_ROOT" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DPAVENDRA_FUZZ=ON -DPAVENDRA_TESTS=OFF -DPAVENDRA_BENCH=OFF "${launcher[@]}" >/dev/null || exit 2
fi
programs=()
for target in "${targets[@]}"; do programs+=("fuzz_$target"); done
cmake --build "$build" -j "$(nproc)" --target "${programs[@]}" || exit 2

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:allocator_may_return_null=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$PAVENDRA_ROOT/tests/lsan.supp:print_suppressions=0"
totals="$build/totals.tsv"
[ -f "$totals" ] || printf 'date\ttarget\tseconds\texecutions\texec_per_s\tcoverage\tfinding\n' >"$totals"

found=0
printf '\n%-10s %12s %10s %9s  %s\n' target executions exec/s coverage finding
for target in "${targets[@]}"; do
  program="$build/bin/fuzz_$target"
  corpus="$build/corpus/$target"
  seeds="$PAVENDRA_ROOT/fuzz/corpus/$target"
  findings="$build/findings/$target"
  # The harness's temporary files go into a folder of the run's own, emptied
  # afterwards even when a finding ended the program early; in memory where
  # the system offers it, as every input writes a file or two.
  scratch="$build/tmp/$target"
  [ -d /dev/shm ] && [ -w /dev/shm ] && scratch="/dev/shm/pavendra-fuzz-$$-$target"
  mkdir -p "$corpus" "$findings" "$scratch"
  # A log of the run's own: runs of one target may go side by side.
  log="$build/logs/$target-$$.log"
  mkdir -p "$(dirname "$log")"
  # The player's pictures are decoded within the game's memory budget
  # (PictureDecoder::kMemoryBudget, 640 MB): one allocation beyond it, or a
  # peak beyond it, is a finding; so is a decode that takes more than 10 s,
  # when the game gives up on a picture.
  limits=(-rss_limit_mb=2560 -timeout=20)
  case "$target" in
    picture | heif) limits=(-malloc_limit_mb=640 -rss_limit_mb=640 -timeout=10) ;;
  esac
  # Room for a whole 13 x 13 saved game; every other reader's inputs stay
  # within libFuzzer's own bound, taken from its corpus.
  case "$target" in
    savedgame | savedgamefile) limits+=(-max_len=16384) ;;
  esac
  dirs=("$corpus")
  [ -d "$seeds" ] && dirs+=("$seeds")
  TMPDIR="$scratch" "$program" "${dirs[@]}" -max_total_time="$seconds" -print_final_stats=1 \
    -close_fd_mask=3 "${limits[@]}" -artifact_prefix="$findings/" >"$log" 2>&1
  status=$?
  rm -rf "$scratch"
  executions="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)"
  rate="$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)"
  coverage="$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)"
  finding="-"
  if [ $status -ne 0 ]; then
    found=1
    artifact="$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log" | tail -1)"
    reason="$(grep -m1 -E 'FINDING|SUMMARY|runtime error|ERROR: libFuzzer' "$log" | sed 's/^==[0-9]*== *//')"
    finding="${reason:-exit $status} -> ${artifact:-see $log}"
  fi
  printf '%-10s %12s %10s %9s  %s\n' "$target" "${executions:-0}" "${rate:-0}" "${coverage:-?}" "$finding"
  printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$(date -Is)" "$target" "$seconds" "${executions:-0}" "${rate:-0}" \
    "${coverage:-?}" "$finding" >>"$totals"
done

echo
echo "All runs so far (build-fuzz/totals.tsv):"
awk -F'\t' 'NR > 1 { runs[$2] += $4; if ($7 != "-") finds[$2]++ }
  END { for (t in runs) printf "  %-10s %14d executions, %d findings\n", t, runs[t], finds[t] }' "$totals" | sort
[ $found -eq 0 ] || { echo "Something was found: the inputs are in $build/findings/"; exit 1; }
