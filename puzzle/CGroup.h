// SPDX-License-Identifier: GPL-3.0-or-later
// A set of joined pieces that moves and is drawn as one.
#pragma once

#include <vector>

struct CGroup {
    std::vector<int> members;  // piece indices
    std::vector<int> canJoin;  // pieces outside the group that border a member
    float x = 0;               // origin on the board; a member is drawn at origin + piece offset
    float y = 0;
    float width = 0;           // extent: cells spanned times the cell size
    float height = 0;
    bool mergeMark = false;    // transient mark within one join
    bool hidden = false;       // hidden by the edge-pieces filter
    bool selected = false;     // part of the rubber-band selection
    float grabX = 0;           // mouse offset from the origin while a selection moves
    float grabY = 0;

    bool HasMember(int piece) const;
    // Drops every candidate that is a member and every repeated candidate,
    // keeping the first occurrence and the order of the rest.
    void TidyCanJoin();
};
