// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/FontBook.h"

#include <stdexcept>

#include "tools/ArtScale.h"

FontBook::FontBook(std::string serifPath, std::string sansPath)
    : serifPath(std::move(serifPath)), sansPath(std::move(sansPath))
{
}

const FontFace& FontBook::Serif(int cellHeight) { return Face(true, cellHeight); }

const FontFace& FontBook::Sans(int cellHeight) { return Face(false, cellHeight); }

const FontFace& FontBook::Face(bool serif, int cellHeight)
{
    cellHeight *= ArtScale::Current();
    auto& face = faces[{serif, cellHeight}];
    if (!face) {
        const std::string& path = serif ? serifPath : sansPath;
        face = FontFace::FromFile(path.c_str(), cellHeight);
        if (!face) throw std::runtime_error("cannot open the font " + path);
    }
    return *face;
}
