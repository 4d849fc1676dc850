#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds the game and starts it.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
pavendra_install_packages
pavendra_build build -DCMAKE_BUILD_TYPE=Release -DPAVENDRA_TESTS=OFF -DPAVENDRA_BENCH=OFF
exec "$PAVENDRA_ROOT/build/bin/pavendra"
