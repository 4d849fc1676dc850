#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Puts the licence line at the top of every source file of the game that lacks
# it (after a script's #! line), or with --check lists the files without it
# and fails when there are any.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

tag="SPDX-License-Identifier: GPL-3.0-or-later"
check=false
[ "${1:-}" = "--check" ] && check=true

missing=0
while IFS= read -r file; do
  head -n 3 "$file" | grep -q "SPDX-License-Identifier:" && continue
  missing=$((missing + 1))
  if $check; then
    echo "no licence line: $file"
    continue
  fi
  case "$file" in
    *.cpp|*.h) line="// $tag" ;;
    *) line="# $tag" ;;
  esac
  if head -n 1 "$file" | grep -q '^#!'; then
    sed -i "1a $line" "$file"
  else
    sed -i "1i $line" "$file"
  fi
done < <(git ls-files -- '*.cpp' '*.h' '*.sh' '*CMakeLists.txt' '*.cmake' '.ci/run')

if $check && [ "$missing" -gt 0 ]; then
  echo "$missing source file(s) lack the licence line: run tools/spdx.sh" >&2
  exit 1
fi
