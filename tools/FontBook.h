// SPDX-License-Identifier: GPL-3.0-or-later
// The two typefaces of the game's art, opened once per cell height.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>

#include "platform/FontFace.h"

class FontBook {
public:
    FontBook(std::string serifPath, std::string sansPath);

    // A cell of `cellHeight` units, at the art's current scale. Throw
    // std::runtime_error when the face cannot be opened.
    const FontFace& Serif(int cellHeight);
    const FontFace& Sans(int cellHeight);

private:
    const FontFace& Face(bool serif, int cellHeight);

    std::string serifPath;
    std::string sansPath;
    std::map<std::pair<bool, int>, std::unique_ptr<FontFace>> faces;
};
