// SPDX-License-Identifier: GPL-3.0-or-later
#include "puzzle/CGroup.h"

#include <algorithm>

bool CGroup::HasMember(int piece) const
{
    return std::find(members.begin(), members.end(), piece) != members.end();
}

void CGroup::TidyCanJoin()
{
    std::vector<int> kept;
    kept.reserve(canJoin.size());
    for (int piece : canJoin) {
        if (HasMember(piece) || std::find(kept.begin(), kept.end(), piece) != kept.end()) continue;
        kept.push_back(piece);
    }
    canJoin = std::move(kept);
}
