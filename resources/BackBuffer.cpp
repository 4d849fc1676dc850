#include "resources/BackBuffer.h"

namespace {

Surface back;

}  // namespace

Surface& BackBuffer() { return back; }
