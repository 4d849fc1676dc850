// SPDX-License-Identifier: GPL-3.0-or-later
// The small marks on the picture page's thumbnails: how far a puzzle in
// progress has got ("37/49"), or a tick and the best time for a picture that
// has been solved. Read from the shelf and the records when the page opens,
// never in every frame.
#pragma once

#include <string>

#include "platform/Surface.h"

class PictureMarks {
public:
    static constexpr int kCount = 15;
    struct Mark {
        bool inProgress = false;
        bool solved = false;
        std::string text;  // "37/49", or the best time "4:39"
    };

    // Reads the marks of the fifteen game pictures.
    void Read();
    const Mark& Get(int index) const { return marks[index]; }
    // The mark of picture `index` over the bottom of its thumbnail, whose
    // box on the back buffer is given.
    void Draw(Surface& back, int index, int left, int top, int width, int height) const;

private:
    Mark marks[kCount];
};
