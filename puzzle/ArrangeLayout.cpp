// SPDX-License-Identifier: GPL-3.0-or-later
#include "puzzle/ArrangeLayout.h"

#include <algorithm>

namespace {

// The tightness of the rows, tried in turn: a piece laid over the one before
// still shows at least this share of itself.
constexpr float kTightness[] = {1.0f, 0.8f, 0.65f, 0.5f, 0.4f};

// The first obstacle the box would cover, or null.
const LayoutBox* Blocking(const LayoutBox& box, const std::vector<LayoutBox>& obstacles)
{
    for (const LayoutBox& obstacle : obstacles)
        if (box.Overlaps(obstacle)) return &obstacle;
    return nullptr;
}

}  // namespace

std::size_t ArrangeLayout::LayRows(const LayoutBox& board, const std::vector<LayoutBox>& obstacles,
                                   const std::vector<Item>& items, float tightness, std::vector<Place>& places)
{
    places.assign(items.size(), Place{});
    float rowHeight = 0;
    for (const Item& item : items) rowHeight = std::max(rowHeight, item.height);
    const float gap = tightness < 1.0f ? 0.0f : kGap;
    std::size_t next = 0;
    for (float y = board.top; next < items.size() && y + items[next].height <= board.bottom;
         y += rowHeight * tightness + gap) {
        float x = board.left;
        while (next < items.size()) {
            const Item& item = items[next];
            if (x + item.width > board.right || y + item.height > board.bottom) break;
            const LayoutBox box{x, y, x + item.width, y + item.height};
            if (const LayoutBox* obstacle = Blocking(box, obstacles)) {
                x = std::max(x + 1.0f, obstacle->right + gap);
                continue;
            }
            places[next] = {x, y, true};
            x += item.width * tightness + gap;
            ++next;
        }
    }
    return next;
}

std::vector<ArrangeLayout::Place> ArrangeLayout::Lay(const LayoutBox& board, const std::vector<LayoutBox>& obstacles,
                                                     const std::vector<Item>& items)
{
    std::vector<Place> places;
    std::size_t laid = 0;
    for (float tightness : kTightness) {
        laid = LayRows(board, obstacles, items, tightness, places);
        if (laid == items.size()) return places;
    }
    // Still too many: the rest go over the pieces laid at the tightest, in
    // turn, a little aside so that each shows, and never onto a group.
    for (std::size_t i = laid, slot = 0; laid > 0 && i < items.size(); ++i, slot = (slot + 1) % laid) {
        for (std::size_t tries = 0; tries < laid && !places[i].placed; ++tries, slot = (slot + 1) % laid) {
            const float x = std::min(places[slot].x + items[slot].width * 0.3f, board.right - items[i].width);
            const float y = std::min(places[slot].y + items[slot].height * 0.3f, board.bottom - items[i].height);
            const LayoutBox box{x, y, x + items[i].width, y + items[i].height};
            if (x >= board.left && y >= board.top && !Blocking(box, obstacles)) places[i] = {x, y, true};
        }
    }
    return places;
}
