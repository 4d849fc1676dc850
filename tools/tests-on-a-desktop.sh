#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs each test program of a build (tools/tests-on-a-desktop.sh BUILD) as one
# process, the way a developer runs them inside a desktop session: DISPLAY
# names a live X server (a private Xvfb here) and zenity and kdialog are on
# PATH (stand-ins that note their call and fail at once). No test may open a
# window or a dialog there: the run fails when either tool was started, and a
# program that waits for something on the screen is ended after a bound.
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
Xvfb -displayfd 3 -nolisten tcp >/dev/null 2>&1 &
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
for program in "$build"/bin/test_*; do
  (cd "$build" && timeout --kill-after=10 1800 "$program" --gtest_brief=1)
done
if [ -s "$desk/called" ]; then
  echo "tests-on-a-desktop.sh: tests started the desktop's dialog tools:" >&2
  cat "$desk/called" >&2
  exit 1
fi
echo "No test started zenity or kdialog (DISPLAY was $DISPLAY)."
