// SPDX-License-Identifier: GPL-3.0-or-later
// Where ARRANGE lays the loose pieces: in rows across the free board, never
// on a built group. When the rows do not fit, they are packed tighter (each
// piece over a part of the one before); when even that does not fit, the
// pieces left over go on top of pieces already laid, never on a group.
#pragma once

#include <vector>

struct LayoutBox {
    float left = 0, top = 0, right = 0, bottom = 0;
    bool Overlaps(const LayoutBox& other) const
    {
        return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
    }
};

class ArrangeLayout {
public:
    struct Item {
        float width = 0, height = 0;
    };
    struct Place {
        float x = 0, y = 0;  // the item's top-left corner
        bool placed = false;  // false: no room anywhere, the item stays where it is
    };
    // Between two items laid side by side without packing.
    static constexpr float kGap = 4.0f;

    // The items in order, each wholly inside the board and off every obstacle.
    static std::vector<Place> Lay(const LayoutBox& board, const std::vector<LayoutBox>& obstacles,
                                  const std::vector<Item>& items);

private:
    // Rows at one tightness (1: side by side with a gap; less: overlapping by
    // the rest); answers how many items found a place.
    static std::size_t LayRows(const LayoutBox& board, const std::vector<LayoutBox>& obstacles,
                               const std::vector<Item>& items, float tightness, std::vector<Place>& places);
};
