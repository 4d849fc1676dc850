// SPDX-License-Identifier: GPL-3.0-or-later
// The game's two fonts. Text is always white on a transparent background and
// always goes to the back buffer. Positions, widths and line heights are in
// the game's units; on a back buffer of a larger drawing scale the text is
// drawn from the same face made that many times larger, so that it is as
// sharp as the screen's pixels, in the same place.
#pragma once

#include <memory>

class FontFace;

// A rectangle as the text layout takes it.
struct TextRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// Layout flag of PrintInRect: centre each line across the rectangle.
constexpr unsigned TEXT_CENTER = 1;

class CFont {
public:
    CFont();
    ~CFont();

    // The serif face ("Times New Roman" stands for it), 22 pixels high.
    void CreateDefault();
    // The serif face for "Times New Roman", the sans face for "Arial" and any
    // other name, with a character cell trunc(height) pixels high. When no
    // face can be found text is simply not drawn.
    void Create(float height, const char* faceName);
    // Text with the top-left corner of its first character cell at (x, y).
    void Print(int x, int y, const char* format, ...) __attribute__((format(printf, 4, 5)));
    // Text laid out in the rectangle, top-aligned, one line per "\n", cut off
    // at the rectangle's edges; TEXT_CENTER centres each line across it.
    void PrintInRect(TextRect rect, unsigned flags, const char* format, ...)
        __attribute__((format(printf, 4, 5)));

    // Width in pixels of one line of text, and the height of a line; 0 when no face was found.
    int TextWidth(const char* text) const;
    int LineHeight() const;

    // Whether a face was found; for tests and the log.
    bool IsLoaded() const { return font != nullptr; }

private:
    // The face to draw with on a surface of the scale: the face itself at
    // scale 1, else one made at the scaled height (kept until the scale
    // changes; the face itself when that cannot be made).
    const FontFace& FaceForScale(int scale);

    std::unique_ptr<FontFace> font;
    std::unique_ptr<FontFace> scaledFont;
    int scaledFor = 1;
    const char* resourceName = nullptr;
    int cellHeight = 0;
};

extern CFont SmallFont;
extern CFont LargeFont;
