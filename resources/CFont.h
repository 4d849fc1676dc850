// The game's two fonts. Text is always white on a transparent background and
// always goes to the back buffer.
#pragma once

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
    // The serif face, 22 pixels high.
    void CreateDefault();
    // A sans face ("Arial" stands for it) or the serif face ("Times New Roman"),
    // trunc(height) pixels high.
    void Create(float height, const char* faceName);
    void Print(int x, int y, const char* format, ...) __attribute__((format(printf, 4, 5)));
    void PrintInRect(TextRect rect, unsigned flags, const char* format, ...)
        __attribute__((format(printf, 4, 5)));

private:
    FontFace* font = nullptr;
};

extern CFont SmallFont;
extern CFont LargeFont;
