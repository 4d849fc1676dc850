// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/LogoArt.h"

#include <algorithm>
#include <cmath>

#include "resources/ResourceNames.h"
#include "tools/ArtKit.h"
#include "tools/IconArt.h"
#include "tools/ScreenLayout.h"

namespace {

constexpr int kLogoWidth = 700, kLogoHeight = 196;
constexpr int kMarkWidth = 280, kMarkHeight = 64;

}  // namespace

void LogoArt::Build(ArtSet& art)
{
    Canvas logo = Logo();
    Canvas mark = StudioMark();
    art.Add(res::kLogo, logo.ToSurface());
    art.Add(res::kSiteLogo, mark.ToSurface());
    art.Add(res::kWindowIcon, Icon().ToSurface());

    // The logo screen as the game lays it out on its 805 x 635 window.
    const float w = 805, h = 635;
    Canvas screen(805, 635, style::kWhite);
    screen.Place(logo, static_cast<int>(w / 2 - kLogoWidth / 2.0f), static_cast<int>(h / 2 - kLogoHeight / 1.3f));
    screen.Place(mark, static_cast<int>(w / 2 - kMarkWidth / 2.0f), static_cast<int>(h - 2.0f * kMarkHeight));
    art.AddScreen("logo_screen", screen.Crop(0, 0, layout::kScreenWidth, layout::kScreenHeight).ToSurface());
}

Canvas LogoArt::Logo()
{
    Canvas logo(kLogoWidth, kLogoHeight, style::kWhite);
    // Four pieces fitted together, the last one not quite home yet.
    const float size = 58, left = 22, top = 24;
    const int tl[4] = {0, 1, -1, 0}, tr[4] = {0, 0, 1, -1}, bl[4] = {1, -1, 0, 0}, br[4] = {-1, 0, 0, 1};
    ArtKit::GlossyPiece(logo, left, top, size, tl, {Hex(0x4FC7B4), Hex(0x15766A)}, 0.35f);
    ArtKit::GlossyPiece(logo, left + size, top, size, tr, {Hex(0xFFD27A), Hex(0xD98A22)}, 0.35f);
    ArtKit::GlossyPiece(logo, left, top + size, size, bl, {Hex(0x5F86D6), Hex(0x1F3B7A)}, 0.35f);
    ArtKit::GlossyPiece(logo, left + size + 12, top + size + 10, size, br, {Hex(0xF28B6B), Hex(0xB8432B)}, 0.45f);

    // The name in a large serif, night blue with a gold edge and a soft
    // shadow. The shadow reaches 3 + 2 units past the letters and its blur
    // 12 more: the name's mask has room for all of it.
    const FontFace& serif = fonts.Serif(116);
    constexpr int kRoom = 20;
    Mask name = Mask::Text(serif, "Pavendra", 0, kRoom);
    const int nameWidth = Mask::TextWidth(serif, "Pavendra");
    const int nameX = 186, nameY = 6, maskX = nameX - kRoom, maskY = nameY - kRoom;
    logo.Paint(name.Dilated(3.0f).Shifted(2, 5).Blurred(4), style::kShadow, 0.28f, maskX, maskY);
    logo.Paint(name.Dilated(2.5f), style::kGoldDeep, 1.0f, maskX, maskY);
    logo.Paint(name.Dilated(1.0f), style::kGoldPale, 1.0f, maskX, maskY);
    logo.Paint(name, [&](float, float y) { return Mix(Hex(0x2C4C8C), style::kInk, std::clamp((y - 40) / 110.0f, 0.0f, 1.0f)); },
               1.0f, maskX, maskY);
    Mask shine = name;
    for (int y = 0; y < shine.PixelHeight(); ++y) {
        float light = 0.3f * std::clamp((70.0f + kRoom - shine.UnitOf(y)) / 45.0f, 0.0f, 1.0f);
        for (int x = 0; x < shine.PixelWidth(); ++x) shine.Ref(x, y) *= light;
    }
    logo.Paint(shine, style::kWhite, 1.0f, maskX, maskY);

    // The tagline under a gold rule.
    const FontFace& sans = fonts.Sans(20);
    const char* tagline = "JIGSAW PUZZLES";
    int taglineWidth = Mask::TextWidth(sans, tagline, 7);
    int taglineX = nameX + nameWidth / 2 - taglineWidth / 2;
    ArtKit::Text(logo, sans, tagline, taglineX, 146, style::kGoldDeep, 7);
    Mask rule(kLogoWidth, kLogoHeight);
    const int s = rule.PixelsPerUnit();
    for (int x = (nameX + 10) * s; x < (nameX + nameWidth - 10) * s; ++x) {
        float t = (rule.UnitOf(x) - nameX - 10) / (nameWidth - 20);
        for (int row = 134 * s; row < 135 * s; ++row) rule.Ref(x, row) = std::sin(t * 3.14159f);
    }
    logo.Paint(rule, style::kGold);
    return logo;
}

Canvas LogoArt::StudioMark()
{
    Canvas mark(kMarkWidth, kMarkHeight, style::kWhite);
    // A small gold diamond made of four pieces' corners, then the name.
    const int tabs[4] = {1, 1, 1, 1};
    ArtKit::GlossyPiece(mark, 18, 18, 28, tabs, {Hex(0xFFD27A), Hex(0xD98A22)}, 0.25f);
    const FontFace& serif = fonts.Serif(34);
    ArtKit::Text(mark, serif, "QUORVEL", 70, 6, style::kInk, 3);
    ArtKit::Text(mark, fonts.Sans(13), "G A M E S", 72, 40, style::kGoldDeep, 2);
    return mark;
}

Canvas LogoArt::Icon() { return IconArt::Square(IconArt::kWindowSize); }
