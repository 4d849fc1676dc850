// SPDX-License-Identifier: GPL-3.0-or-later
#include "resources/BackBuffer.h"

namespace {

Surface back;

}  // namespace

Surface& BackBuffer() { return back; }
