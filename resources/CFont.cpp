// SPDX-License-Identifier: GPL-3.0-or-later
#include "resources/CFont.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <strings.h>

#include "app/CLog.h"
#include "platform/FontFace.h"
#include "resources/BackBuffer.h"
#include "resources/CFile.h"
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
    const char* resourceName = serif ? res::kSerifFont : res::kSansFont;
    int cellHeight = CellHeightOf(height);
    font = cellHeight > 0 ? OpenFace(resourceName, cellHeight) : nullptr;
    if (!font) Log.Write("CFont: Couldn't load font %s, text won't be drawn\n", resourceName);
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
    font->Draw(BackBuffer(), x, y, text, 0xFFFFFF);
}

void CFont::PrintInRect(TextRect rect, unsigned flags, const char* format, ...)
{
    if (!font) return;
    char text[kFormatBufferSize];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);

    const PixelRect clip{rect.left, rect.top, rect.right, rect.bottom};
    Surface& back = BackBuffer();
    long long y = rect.top;
    for (char* line = text; line && y < rect.bottom;) {
        char* next = std::strchr(line, '\n');
        if (next) *next++ = '\0';
        std::size_t length = std::strlen(line);
        if (length > 0 && line[length - 1] == '\r') line[length - 1] = '\0';
        long long x = rect.left;
        if (flags & TEXT_CENTER) x += (static_cast<long long>(rect.right) - rect.left - font->TextWidth(line)) / 2;
        font->Draw(back, static_cast<int>(x), static_cast<int>(y), line, 0xFFFFFF, clip);
        y += font->CellHeight();
        line = next;
    }
}
