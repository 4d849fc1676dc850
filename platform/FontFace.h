// SPDX-License-Identifier: GPL-3.0-or-later
// A TrueType face at one size, drawing anti-aliased text onto surfaces.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "platform/Surface.h"

class FontFace {
public:
    // Opens a face from the bytes of a font file (kept for as long as the face
    // lives) or from a file, at the point size whose character cell (ascent
    // plus descent) is cellHeight pixels high, or as near below as the face
    // allows. Answers null when the bytes are not a font.
    static std::unique_ptr<FontFace> FromMemory(std::vector<unsigned char> bytes, int cellHeight);
    static std::unique_ptr<FontFace> FromFile(const char* path, int cellHeight);
    ~FontFace();
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;

    int CellHeight() const;
    int PointSize() const { return pointSize; }
    // Width in pixels of a line of UTF-8 text.
    int TextWidth(const char* text) const;
    // Blends one line of UTF-8 text in the colour onto dest with the top-left
    // corner of its cell at (x, y). Only pixels inside clip (and the surface)
    // change; the background between the letters stays as it was.
    void Draw(Surface& dest, int x, int y, const char* text, Colour colour) const;
    void Draw(Surface& dest, int x, int y, const char* text, Colour colour, const PixelRect& clip) const;

private:
    explicit FontFace(std::vector<unsigned char> fontBytes) : bytes(std::move(fontBytes)) {}
    bool Open(int cellHeight);

    std::vector<unsigned char> bytes;  // the font library reads glyphs from these lazily
    void* font = nullptr;              // TTF_Font
    int pointSize = 0;
};
