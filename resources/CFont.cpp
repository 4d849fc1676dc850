// SPDX-License-Identifier: GPL-3.0-or-later
#include "resources/CFont.h"

#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <strings.h>

#include "core/CLog.h"
#include "platform/FontFace.h"
#include "resources/BackBuffer.h"
#include "core/CFile.h"
#include "resources/ResourceNames.h"

CFont SmallFont;
CFont LargeFont;

namespace {

constexpr int kFormatBufferSize = 16384;
constexpr float kDefaultHeight = 22.0f;
constexpr const char* kDefaultFaceName = "Times New Roman";
constexpr const char* kSerifFaceName = "Times New Roman";
// Where the system keeps the same faces when the data archive has none.
constexpr const char* kSystemFontFolder = "/usr/share/fonts/truetype/liberation2/";

std::vector<unsigned char> ReadFromDataFile(const char* name)
{
    std::vector<unsigned char> bytes;
    if (!DataFile.Open(name, FILE_READ)) return bytes;
    bytes.resize(DataFile.GetSize());
    std::uint32_t read = bytes.empty() ? 0 : DataFile.Read(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    DataFile.Close();
    bytes.resize(read);
    return bytes;
}

std::unique_ptr<FontFace> OpenFace(const char* resourceName, int cellHeight)
{
    std::unique_ptr<FontFace> face = FontFace::FromMemory(ReadFromDataFile(resourceName), cellHeight);
    if (face) return face;
    const char* baseName = std::strrchr(resourceName, '/');
    std::string systemPath = std::string(kSystemFontFolder) + (baseName ? baseName + 1 : resourceName);
    return FontFace::FromFile(systemPath.c_str(), cellHeight);
}

// A position in units on a back buffer of the scale, in its pixels; held
// where it stays outside when it lies far outside.
int InPixels(long long units, int scale)
{
    return static_cast<int>(std::clamp<long long>(units * scale, INT_MIN / 2, INT_MAX / 2));
}

int CellHeightOf(float height)
{
    if (!(height >= 1.0f) || height > 1000.0f) return 0;
    return static_cast<int>(height);
}

}  // namespace

CFont::CFont() = default;
CFont::~CFont() = default;

void CFont::CreateDefault() { Create(kDefaultHeight, kDefaultFaceName); }

void CFont::Create(float height, const char* faceName)
{
    bool serif = faceName && strcasecmp(faceName, kSerifFaceName) == 0;  // face names ignore letter case
    resourceName = serif ? res::kSerifFont : res::kSansFont;
    cellHeight = CellHeightOf(height);
    font = cellHeight > 0 ? OpenFace(resourceName, cellHeight) : nullptr;
    scaledFont.reset();
    scaledFor = 1;
    if (!font) Log.Write("CFont: Couldn't load font %s, text won't be drawn\n", resourceName);
}

const FontFace& CFont::FaceForScale(int scale)
{
    if (scale <= 1) return *font;
    if (scale != scaledFor) {
        scaledFor = scale;
        scaledFont = OpenFace(resourceName, cellHeight * scale);
        if (!scaledFont) Log.Write("CFont: Couldn't load font %s at %i times its size\n", resourceName, scale);
    }
    return scaledFont ? *scaledFont : *font;
}

int CFont::TextWidth(const char* text) const { return font && text ? font->TextWidth(text) : 0; }

int CFont::LineHeight() const { return font ? font->CellHeight() : 0; }

void CFont::Print(int x, int y, const char* format, ...)
{
    if (!font) return;
    char text[kFormatBufferSize];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    Surface& back = BackBuffer();
    const int scale = back.Scale();
    FaceForScale(scale).Draw(back, InPixels(x, scale), InPixels(y, scale), text, 0xFFFFFF);
}

void CFont::PrintInRect(TextRect rect, unsigned flags, const char* format, ...)
{
    if (!font) return;
    char text[kFormatBufferSize];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);

    Surface& back = BackBuffer();
    const int scale = back.Scale();
    const FontFace& face = FaceForScale(scale);
    const PixelRect clip{InPixels(rect.left, scale), InPixels(rect.top, scale), InPixels(rect.right, scale),
                         InPixels(rect.bottom, scale)};
    long long y = rect.top;
    for (char* line = text; line && y < rect.bottom;) {
        char* next = std::strchr(line, '\n');
        if (next) *next++ = '\0';
        std::size_t length = std::strlen(line);
        if (length > 0 && line[length - 1] == '\r') line[length - 1] = '\0';
        long long x = rect.left;
        if (flags & TEXT_CENTER) x += (static_cast<long long>(rect.right) - rect.left - font->TextWidth(line)) / 2;
        face.Draw(back, InPixels(x, scale), InPixels(y, scale), line, 0xFFFFFF, clip);
        y += font->CellHeight();
        line = next;
    }
}
