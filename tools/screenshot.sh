#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes the README's picture of play from the real game: the built game full
# screen in a private virtual screen (Xvfb, 1280 x 960: drawing scale 2), a
# puzzle half done (a saved game of the mountain meadow cut 8 x 5, with three
# groups joined) loaded with LOAD GAME, a few loose pieces moved with the
# mouse, then the screen is written to docs/screenshot.jpg.
# Usage: tools/screenshot.sh [build folder]   (default: build, which play.sh
# builds; the folder must hold bin/pavendra and bin/data.000)
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${1:-$ROOT/build}"
OUT="$ROOT/docs/screenshot.jpg"
for need in Xvfb xdotool import convert; do
  command -v "$need" >/dev/null || { echo "screenshot.sh: $need is missing (tools/setup.sh installs it)" >&2; exit 1; }
done
[ -x "$BUILD/bin/pavendra" ] && [ -f "$BUILD/bin/data.000" ] || {
  echo "screenshot.sh: no game in $BUILD/bin (build the pavendra and pavendra_data targets)" >&2
  exit 1
}

WORK="$(mktemp -d /tmp/pavendra-screenshot.XXXXXX)"
XVFB_PID=""
GAME_PID=""
cleanup() {
  [ -n "$GAME_PID" ] && kill "$GAME_PID" 2>/dev/null || true
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT

export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"
GAME="$WORK/game"
mkdir -p "$GAME"
cp "$BUILD/bin/pavendra" "$BUILD/bin/data.000" "$GAME/"

# The screen, 4:3 like the frame: 1.6 pixels a unit, no bars.
SCREEN_WIDTH=1280
SCREEN_HEIGHT=960
exec 3<> "$WORK/displayfd"
Xvfb -displayfd 3 -screen 0 "${SCREEN_WIDTH}x${SCREEN_HEIGHT}x24" -nolisten tcp >/dev/null 2>&1 &
XVFB_PID=$!
number=""
for _ in $(seq 100); do
  number="$(head -n1 "$WORK/displayfd" 2>/dev/null || true)"
  [ -n "$number" ] && break
  sleep 0.05
done
exec 3>&-
[ -n "$number" ] || { echo "screenshot.sh: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$number"

# A spot of the frame, in units, as "x y" on the screen.
at() { echo "$(($1 * SCREEN_WIDTH / 800)) $(($2 * SCREEN_HEIGHT / 600))"; }
# shellcheck disable=SC2046  # at() answers two words on purpose
move_to() { xdotool mousemove $(at "$1" "$2"); }
press() {  # a click (a button acts on its release)
  move_to "$1" "$2"
  xdotool click 1
}
drag() {  # from x y to x y, in a few steps as a hand moves
  move_to "$1" "$2"
  xdotool mousedown 1
  sleep 0.2
  local step
  for step in 1 2 3 4 5 6; do
    move_to $(($1 + ($3 - $1) * step / 6)) $(($2 + ($4 - $2) * step / 6))
    sleep 0.1
  done
  sleep 0.2
  xdotool mouseup 1
  sleep 0.4
}
wait_for_log() {
  for _ in $(seq 200); do
    grep -q "$1" "$GAME/debug.log" 2>/dev/null && return 0
    sleep 0.05
  done
  echo "screenshot.sh: the game never logged '$1'" >&2
  exit 1
}

# The saved game: picture 0 (448 x 298 units) cut 8 x 5; piece c + 8 r.
# Four groups joined (the top-left 4 x 2, the right two columns' top three
# rows, the bottom row's first five, the bottom-right 3 x 2), the other
# pieces loose in rows.
COLUMNS=8
ROWS=5
group_lines=()
in_group=()
group_of_block() {  # x y first-column last-column first-row last-row
  local members=() c r
  for ((r = $5; r <= $6; r++)); do
    for ((c = $3; c <= $4; c++)); do
      members+=($((c + COLUMNS * r)))
      in_group[$((c + COLUMNS * r))]=1
    done
  done
  group_lines+=("$1 $2 ${members[*]}")
}
group_of_block 20 60 0 3 0 1
group_of_block 640 50 6 7 0 2
group_of_block 30 440 0 4 4 4
group_of_block 560 330 5 7 3 4
loose=0
for ((piece = 0; piece < COLUMNS * ROWS; piece++)); do
  [ -n "${in_group[$piece]:-}" ] && continue
  group_lines+=("$((290 + loose % 4 * 85)) $((40 + loose / 4 * 90)) $piece")
  loose=$((loose + 1))
done
# Every group may join its members' neighbours (the game tidies the list).
neighbours() {
  local piece c r
  for piece in "$@"; do
    c=$((piece % COLUMNS))
    r=$((piece / COLUMNS))
    [ "$c" -gt 0 ] && echo $((piece - 1))
    [ "$c" -lt $((COLUMNS - 1)) ] && echo $((piece + 1))
    [ "$r" -gt 0 ] && echo $((piece - COLUMNS))
    [ "$r" -lt $((ROWS - 1)) ] && echo $((piece + COLUMNS))
  done | sort -n -u
}
{
  printf 'Border 0\r\n\r\nImageName data/images/image0.bmp\r\n\r\nSmoothType 0.12\r\n'
  printf 'NumberOfPiecesX %d\r\nNumberOfPiecesY %d\r\n\r\n' "$COLUMNS" "$ROWS"
  printf 'NumberOfGroups %d\r\n\r\n' "${#group_lines[@]}"
  g=0
  for line in "${group_lines[@]}"; do
    read -r x y members <<< "$line"
    read -r -a member_list <<< "$members"
    mapfile -t candidates < <(neighbours "${member_list[@]}")
    printf 'Group %d %d %d\r\nInGroup %d %d %s\r\nCanJoin %d %d %s\r\n\r\n' "$g" "$x" "$y" \
      "$g" "${#member_list[@]}" "$members" "$g" "${#candidates[@]}" "${candidates[*]}"
    g=$((g + 1))
  done
  printf 'Time 754.0\r\n'
} > "$GAME/game.pvs"

(cd "$GAME" && exec ./pavendra >/dev/null 2>&1) &
GAME_PID=$!
wait_for_log "First frame shown"
sleep 0.5
xdotool windowfocus "$(xdotool search --name Pavendra | head -n1)" 2>/dev/null || true
xdotool key a  # ends the logo screen
sleep 2
press 372 490  # the menu's LOAD GAME
move_to 795 300
# The board's colour beside the panel, where no piece lies: the board is up.
board_up=""
spot="$(at 795 300 | tr ' ' '+')"
for _ in $(seq 100); do
  case "$(import -window root -crop "1x1+$spot" txt:- 2>/dev/null | tail -n1)" in
    *"(127,154,168)"*) board_up=1; break ;;
  esac
  sleep 0.1
done
[ -n "$board_up" ] || { echo "screenshot.sh: the saved game did not come up" >&2; tail "$GAME/debug.log" >&2; exit 1; }
sleep 1

# A few loose pieces moved by hand, taken by their middle.
drag 330 80 90 290
drag 415 170 200 310
drag 330 260 245 395
move_to 760 300
sleep 1.5

mkdir -p "$(dirname "$OUT")"
import -window root "$WORK/shot.png"
convert "$WORK/shot.png" -resize 960x720 -quality 85 -strip "$OUT"
echo "Wrote $OUT ($(du -k "$OUT" | cut -f1) KB)"
