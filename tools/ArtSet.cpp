// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/ArtSet.h"

#include <stdexcept>

const Surface& ArtSet::Picture(const std::string& name) const
{
    auto found = pictures.find(name);
    if (found == pictures.end()) throw std::runtime_error("no picture " + name);
    return found->second;
}
