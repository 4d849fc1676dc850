// SPDX-License-Identifier: GPL-3.0-or-later
// What the end-to-end tests read back from a saved game's text: the view
// and the group that holds a piece.
#pragma once

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "puzzle/TableView.h"

namespace e2e_saved {

// The "View" line: absent while the whole table shows.
struct SavedView {
    bool shown = false;
    int step = 0;
    TablePoint origin;
};

inline SavedView ViewOf(const std::string& savedGame)
{
    SavedView view;
    std::istringstream words(savedGame);
    std::string word;
    while (words >> word)
        if (word == "View" && words >> view.step >> view.origin.x >> view.origin.y) view.shown = true;
    return view;
}

// The members of the group that holds the piece, as the file lists them.
inline std::vector<int> GroupMembersOf(const std::string& savedGame, int piece)
{
    std::istringstream words(savedGame);
    std::string word;
    while (words >> word) {
        int group = 0, count = 0;
        if (word != "InGroup" || !(words >> group >> count)) continue;
        std::vector<int> members(static_cast<std::size_t>(std::max(0, count)));
        for (int& m : members) words >> m;
        if (std::find(members.begin(), members.end(), piece) != members.end()) return members;
    }
    return {};
}

}  // namespace e2e_saved
