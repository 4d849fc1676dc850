#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs each test program of a build (tools/tests-on-a-desktop.sh BUILD) as one
# process, the way a developer runs them inside a desktop session: DISPLAY
# names a live X server (a private Xvfb here) and zenity and kdialog are on
# PATH (stand-ins that note their call and fail at once). No test may open a
# window or a dialog there: the run fails when either tool was started, and a
# program that waits for something on the screen is ended after a bound.
# The programs run side by side, one a core.
set -euo pipefail
build="$(cd "$1" && pwd)"

desk="$(mktemp -d)"
xvfb_pid=""
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$desk"
}
trap cleanup EXIT

mkdir "$desk/tools"
for tool in zenity kdialog; do
  printf '#!/bin/sh\necho "%s $*" >> "%s/called"\nexit 1\n' "$tool" "$desk" > "$desk/tools/$tool"
  chmod +x "$desk/tools/$tool"
done

exec 3<> "$desk/displayfd"
# The server's own fonts only: a box of SDL's that a test opened by mistake
# fails at once, on a machine with core fonts installed too.
Xvfb -displayfd 3 -nolisten tcp -fp built-ins >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  number="$(head -n1 "$desk/displayfd" 2>/dev/null || true)"
  [ -n "$number" ] && break
  sleep 0.05
done
[ -n "${number:-}" ] || { echo "tests-on-a-desktop.sh: Xvfb did not start" >&2; exit 1; }
exec 3>&-

export DISPLAY=":$number"
export PATH="$desk/tools:$PATH"

# The programs run side by side, as many as there are cores, the longest
# first (the end-to-end tests mostly wait for the game they drive); each
# one's output is shown whole when it ends.
jobs="$(nproc)"
programs=()
for program in "$build"/bin/test_e2e "$build"/bin/test_soak "$build"/bin/test_*; do
  [ -x "$program" ] || continue
  case " ${programs[*]} " in *" $program "*) continue ;; esac
  programs+=("$program")
done
running=()
declare -A program_of
failed=()
run_program() {
  cd "$build" && exec timeout --kill-after=10 1800 "$1" --gtest_brief=1 > "$desk/$(basename "$1").out" 2>&1
}
finish_one() {
  local ended="" status=0
  wait -n -p ended "${running[@]}" || status=$?
  local name
  name="$(basename "${program_of[$ended]}")"
  echo "--- $name"
  cat "$desk/$name.out"
  [ "$status" -eq 0 ] || failed+=("$name (exit $status)")
  local still=()
  for pid in "${running[@]}"; do [ "$pid" = "$ended" ] || still+=("$pid"); done
  running=("${still[@]}")
}
for program in "${programs[@]}"; do
  [ "${#running[@]}" -ge "$jobs" ] && finish_one
  run_program "$program" &
  running+=($!)
  program_of[$!]="$program"
done
while [ "${#running[@]}" -gt 0 ]; do finish_one; done
if [ "${#failed[@]}" -gt 0 ]; then
  echo "tests-on-a-desktop.sh: failed: ${failed[*]}" >&2
  exit 1
fi
if [ -s "$desk/called" ]; then
  echo "tests-on-a-desktop.sh: tests started the desktop's dialog tools:" >&2
  cat "$desk/called" >&2
  exit 1
fi
echo "No test started zenity or kdialog (DISPLAY was $DISPLAY)."
