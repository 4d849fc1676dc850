// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/MenuArt.h"

#include <cmath>

#include "resources/ResourceNames.h"
#include "tools/ScreenLayout.h"

namespace {

using namespace layout;

constexpr int kHeadingCell = 16;
constexpr int kHintCell = 14;

// Screen rectangles of the cut page's left panel and its parts.
constexpr RectF kLeftPanel{12, 96, 260, 474};
constexpr RectF kCountWell{202, 307, 254, 336};
// The knob's travel, end to end: at the first and the last count it sits at the track's ends.
constexpr RectF kTrack{kSliderMinX, 340, kSliderMaxX + kKnobWidth, 348};
constexpr RectF kLabelWell{58, 411, 213, 442};
constexpr RectF kProgressWell{kProgressX - 3, kProgressY - 3, kProgressX + kProgressWidth + 3,
                              kProgressY + kProgressHeight + 3};

RectF Moved(RectF r, int dx, int dy)
{
    return {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

// A thin gold rule that fades out at both ends.
void Rule(Canvas& canvas, float left, float right, float y, float opacity)
{
    Mask line(canvas.Width(), canvas.Height());
    const int s = line.PixelsPerUnit();
    // One unit thick, its fade worked out for every pixel along it.
    for (int x = static_cast<int>(left) * s; x < static_cast<int>(right) * s; ++x) {
        float t = (line.UnitOf(x) - left) / (right - left);
        float fade = std::sin(t * 3.14159f);
        for (int row = static_cast<int>(y) * s; row < (static_cast<int>(y) + 1) * s; ++row)
            if (row >= 0 && row < line.PixelHeight() && x >= 0 && x < line.PixelWidth()) line.Ref(x, row) = fade;
    }
    canvas.Paint(line.Shifted(0, 1), style::kShadow, opacity * 0.8f);
    canvas.Paint(line, style::kGold, opacity);
}

// One jigsaw piece with depth: shadow, rim, gradient, gloss.
void Piece(Canvas& canvas, float x, float y, float size, const int tabs[4], Rgb top, Rgb bottom, float lift)
{
    Path outline = ArtKit::JigsawPiece(x, y, size, tabs);
    Mask shape = Mask::Polygons(canvas.Width(), canvas.Height(), {outline});
    ArtKit::Shadow(canvas, shape, static_cast<int>(lift / 2), static_cast<int>(lift), static_cast<int>(lift / 2 + 1),
                   0.55f);
    canvas.Paint(shape, Mix(bottom, style::kShadow, 0.35f));
    // The body stops a pixel short of the bottom, leaving a darker rim there.
    Mask body = shape;
    body.Intersect(shape.Shifted(0, -1));
    canvas.PaintVertical(body, y - size * 0.3f, top, y + size * 1.3f, bottom);
    ArtKit::Gloss(canvas, body, y - size * 0.3f, y + size * 0.5f, 0.22f);
}

// Where the picture page shows thumbnail i of a picture of the given size:
// fitted into 128 x 128 with its shape kept, centred in its cell.
RectF ThumbnailPlace(int i, const Surface& picture)
{
    float w = kThumbBox, h = kThumbBox;
    float pw = static_cast<float>(picture.Width()), ph = static_cast<float>(picture.Height());
    if (pw > ph) h = ph / pw * kThumbBox;
    if (ph > pw) w = pw / ph * kThumbBox;
    float x = kThumbLeft + kThumbStepX * (i % 5) + (kThumbBox - w) / 2;
    float y = kThumbTop + kThumbStepY * (i / 5) + (kThumbBox - h) / 2;
    return {std::trunc(x), std::trunc(y), std::trunc(x) + std::trunc(w), std::trunc(y) + std::trunc(h)};
}

// A picture stretched nearest-neighbour into a rectangle, as the game does.
void PlaceStretched(Canvas& canvas, const Surface& picture, RectF r)
{
    const int s = canvas.PixelsPerUnit();
    int w = static_cast<int>(r.Width()) * s, h = static_cast<int>(r.Height()) * s;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            Colour c = picture.GetPixel(x * picture.Width() / w, y * picture.Height() / h);
            canvas.Set(static_cast<int>(r.left) * s + x, static_cast<int>(r.top) * s + y,
                       {float(RedOf(c)), float(GreenOf(c)), float(BlueOf(c))});
        }
}

}  // namespace

void MenuArt::Build(ArtSet& art)
{
    PicturePage(art);
    CutPage(art);
}

void MenuArt::Emblem(Canvas& canvas, int x, int y)
{
    const int tabs[4] = {1, -1, 0, 0};
    Piece(canvas, static_cast<float>(x), static_cast<float>(y + 8), 24, tabs, style::kGoldPale, style::kGoldDeep, 2);
    const FontFace& serif = fonts.Serif(34);
    Mask name = Mask::Text(serif, "Pavendra");
    canvas.Paint(name.Shifted(0, 2).Blurred(1), style::kShadow, 0.8f, x + 36, y - 2);
    canvas.Paint(name, [&](float, float py) { return Mix(style::kGoldPale, style::kGold, std::clamp((py - y) / 30.0f, 0.0f, 1.0f)); },
                 1.0f, x + 36, y - 2);
}

void MenuArt::ButtonPlate(Canvas& canvas, int top, int count)
{
    RectF plate{kMenuButtonX - 14.0f, top - 6.0f, kMenuButtonX + kMenuButtonWidth + 14.0f,
                top + 32.0f * count + 6.0f};
    ArtKit::Panel(canvas, plate, 12);
}

void MenuArt::PicturePage(ArtSet& art)
{
    Canvas scene(kScreenWidth, kScreenHeight);
    ArtKit::NightBackground(scene);
    ArtKit::JigsawLattice(scene, {0, 0, 800, 600}, 80, 0.2f, 7);

    // The title over the thumbnails, between two gold rules.
    const FontFace& title = fonts.Serif(30);
    const char* heading = "Choose a Picture";
    float titleWidth = static_cast<float>(Mask::TextWidth(title, heading));
    ArtKit::TextCentred(scene, title, heading, 400, 9, style::kShadow, 0, 0.7f);
    ArtKit::TextCentred(scene, title, heading, 400, 7, style::kCream);
    Rule(scene, 400 - titleWidth / 2 - 150, 400 - titleWidth / 2 - 16, 25, 0.9f);
    Rule(scene, 400 + titleWidth / 2 + 16, 400 + titleWidth / 2 + 150, 25, 0.9f);

    ButtonPlate(scene, kLoadGameY, 3);
    Emblem(scene, 40, 506);
    const FontFace& hint = fonts.Sans(kHintCell);
    const char* lines[] = {"Click a picture to play,", "or bring your own", "with CUSTOM."};
    for (int i = 0; i < 3; ++i) {
        int width = Mask::TextWidth(hint, lines[i]);
        ArtKit::Text(scene, hint, lines[i], 760 - width, 500 + 18 * i, style::kCream, 0, 0.75f);
    }

    // The further pages hold the player's pictures, whose mounts the game draws.
    art.Add(res::kMenuBackgroundMore, scene.ToSurface());

    // A cream mount with a soft shadow round each thumbnail.
    for (int i = 0; i < res::kPictureCount && i < static_cast<int>(pictures.size()); ++i) {
        RectF place = ThumbnailPlace(i, pictures[i]);
        Mask mount = ArtKit::Rounded(scene, place.Inset(-4), 3);
        ArtKit::Shadow(scene, mount, 2, 4, 3, 0.7f);
        scene.Paint(mount, Mix(style::kCream, style::kShadow, 0.35f));
        Mask face = ArtKit::Rounded(scene, place.Inset(-3), 2);
        scene.PaintVertical(face, place.top - 3, style::kCream, place.bottom + 3, Hex(0xE2D3B3));
        scene.Paint(ArtKit::Rounded(scene, place.Inset(-1), 0), Hex(0x8C7C5E));
    }

    art.Add(res::kMenuBackground, scene.ToSurface());

    auto menuButton = [&](const char* name, int y, const char* label) {
        ButtonPainter::Cut(art, scene, name, kMenuButtonX, y, kMenuButtonWidth, kMenuButtonHeight,
                           [&](Canvas& c, ButtonLook look) {
                               buttons.Labelled(c, {2, 2, kMenuButtonWidth - 2.0f, kMenuButtonHeight - 2.0f}, look,
                                                label, 15);
                           });
    };
    menuButton("LoadGame", kLoadGameY, "LOAD GAME");
    menuButton("Custom", kCustomY, "CUSTOM");
    menuButton("Exit", kExitY, "EXIT");
    for (int i = 0; i < res::kPictureCount && i < static_cast<int>(pictures.size()); ++i)
        PlaceStretched(scene, pictures[i], ThumbnailPlace(i, pictures[i]));
    art.AddScreen("picture_page", scene.ToSurface());
}

void MenuArt::LeftPanel(Canvas& canvas, int originX, int originY)
{
    int dx = -originX, dy = -originY;
    ArtKit::Panel(canvas, Moved(kLeftPanel, dx, dy), 12);
}

void MenuArt::PieceCountBox(Canvas& canvas, int originX, int originY)
{
    int dx = -originX, dy = -originY;
    const FontFace& heading = fonts.Sans(kHeadingCell);
    int width = Mask::TextWidth(heading, "PIECES", 2);
    ArtKit::TextInBox(canvas, heading, "PIECES", Moved({36, 308, 36.0f + width, 334}, dx, dy), style::kGold, 2);
    ArtKit::Well(canvas, Moved(kCountWell, dx, dy), 6);
}

Canvas MenuArt::CutBackdrop()
{
    Canvas scene(kScreenWidth, kScreenHeight);
    ArtKit::NightBackground(scene);
    ArtKit::JigsawLattice(scene, {0, 0, 800, 600}, 80, 0.2f, 11);
    Emblem(scene, 22, 26);
    ArtKit::Text(scene, fonts.Sans(13), "MAKE YOUR PUZZLE", 60, 66, style::kCream, 2, 0.8f);
    // The well the cut picture lies in.
    ArtKit::Well(scene, {kPreviewLeft - 5.0f, kPreviewTop - 5.0f, kPreviewLeft + kPreviewBox + 5.0f,
                         kPreviewTop + kPreviewBox + 5.0f}, 8);
    LeftPanel(scene, 0, 0);
    return scene;
}

void MenuArt::CutPage(ArtSet& art)
{
    Canvas plain = CutBackdrop();
    Canvas scene = plain;
    const FontFace& heading = fonts.Sans(kHeadingCell);
    ArtKit::TextCentred(scene, heading, "THE CUT", 136, 108, style::kGold, 3);
    Rule(scene, 36, 236, 130, 0.8f);
    // A little puzzle, its last piece about to drop into place.
    const int a[4] = {0, 1, -1, 0}, b[4] = {0, 0, 1, -1}, c[4] = {1, -1, 0, 0}, d[4] = {-1, 0, 0, 1};
    Piece(scene, 84, 148, 42, a, Hex(0x5FC9B8), Hex(0x1F7F72), 2);
    Piece(scene, 126, 148, 42, b, Hex(0xF6C65E), Hex(0xC9822A), 2);
    Piece(scene, 84, 190, 42, c, Hex(0xF0E2C4), Hex(0xB9A27A), 2);
    Piece(scene, 142, 202, 42, d, Hex(0x6B8FD6), Hex(0x2D4C92), 8);
    const FontFace& hint = fonts.Sans(kHintCell);
    ArtKit::TextCentred(scene, hint, "Slide to choose the pieces,", 136, 258, style::kCream, 0, 0.8f);
    ArtKit::TextCentred(scene, hint, "then pick the edges.", 136, 276, style::kCream, 0, 0.8f);

    PieceCountBox(scene, 0, 0);
    ArtKit::Well(scene, kTrack, 4);
    int edgesWidth = Mask::TextWidth(heading, "EDGES", 2);
    ArtKit::TextInBox(scene, heading, "EDGES", {36, 380, 36.0f + edgesWidth, 404}, style::kGold, 2);
    ArtKit::Well(scene, kLabelWell, 6);

    Canvas withoutButtons = scene;
    ButtonPlate(scene, kPlayY, 2);
    art.Add(res::kMenuBackground2, scene.ToSurface());

    // The knob is cut where the track runs straight, so it fits anywhere on it.
    int knobSampleX = (kSliderMinX + kSliderMaxX) / 2;
    Canvas knobScene = scene;
    ButtonPainter::Cut(art, knobScene, "Slider", knobSampleX, kKnobY, kKnobWidth, kKnobHeight,
                       [&](Canvas& canvas, ButtonLook look) {
                           buttons.Knob(canvas, {1, 1, kKnobWidth - 1.0f, kKnobHeight - 2.0f}, look);
                       });
    scene.Place(knobScene.Crop(knobSampleX, kKnobY, kKnobWidth, kKnobHeight), 114, kKnobY);  // where 8 x 8 puts it

    auto arrow = [&](const char* name, int x, bool left) {
        ButtonPainter::Cut(art, scene, name, x, kArrowY, kArrowWidth, kArrowHeight, [&](Canvas& canvas, ButtonLook look) {
            buttons.Arrow(canvas, {2, 2, kArrowWidth - 2.0f, kArrowHeight - 2.0f}, look, left);
        });
    };
    arrow("ArrowLeft", kArrowLeftX, true);
    arrow("ArrowRight", kArrowRightX, false);
    auto menuButton = [&](const char* name, int y, const char* label) {
        ButtonPainter::Cut(art, scene, name, kMenuButtonX, y, kMenuButtonWidth, kMenuButtonHeight,
                           [&](Canvas& canvas, ButtonLook look) {
                               buttons.Labelled(canvas, {2, 2, kMenuButtonWidth - 2.0f, kMenuButtonHeight - 2.0f}, look,
                                                label, 15);
                           });
    };
    {
        // CONTINUE takes PLAY's place for a picture with a puzzle in progress;
        // cut from a copy, so the page's own picture keeps PLAY.
        Canvas continueScene = scene;
        ButtonPainter::Cut(art, continueScene, "Continue", kMenuButtonX, kPlayY, kMenuButtonWidth, kMenuButtonHeight,
                           [&](Canvas& canvas, ButtonLook look) {
                               buttons.Labelled(canvas, {2, 2, kMenuButtonWidth - 2.0f, kMenuButtonHeight - 2.0f},
                                                look, "CONTINUE", 15);
                           });
    }
    menuButton("Play", kPlayY, "PLAY");
    menuButton("Back", kBackY, "BACK");
    if (!pictures.empty()) {
        const Surface& p = pictures.front();
        float x = 512 - p.Width() / 2.0f, y = (448 - p.Height()) / 2.0f + 48;
        PlaceStretched(scene, p, {x, y, x + p.Width(), y + p.Height()});
        PlaceStretched(withoutButtons, p, {x, y, x + p.Width(), y + p.Height()});
    }
    ArtKit::Text(scene, fonts.Serif(22), "64", kCountX, kCountY, style::kWhite);
    ArtKit::TextCentred(scene, fonts.Sans(30), "easy", (kLabelLeft + kLabelRight) / 2.0f, kLabelTop, style::kWhite);
    art.AddScreen("cut_page", scene.ToSurface());
    CalculatePage(art, plain, withoutButtons);
}

void MenuArt::CalculatePage(ArtSet& art, const Canvas& plainBackground, const Canvas& cutScreen)
{
    // Reaches from its place to the bottom right of the screen: it covers
    // the cut page's controls and the plate of its buttons, and shows the
    // same backdrop everywhere else (the cut picture is drawn over it).
    const int ox = kCalculateX, oy = kCalculateY;
    Canvas caption = plainBackground.Crop(ox, oy, kScreenWidth - ox, kScreenHeight - oy);

    const FontFace& heading = fonts.Sans(kHeadingCell);
    ArtKit::TextCentred(caption, heading, "CUTTING", 136 - ox, 103 - oy, style::kGold, 3);
    ArtKit::Well(caption, Moved(kProgressWell, -ox, -oy), 6);

    const FontFace& hint = fonts.Sans(kHintCell);
    const char* wait[] = {"Please wait while your", "picture is cut into pieces."};
    for (int i = 0; i < 2; ++i) ArtKit::TextCentred(caption, hint, wait[i], 136 - ox, 170 + 18 * i - oy, style::kCream, 0, 0.8f);

    // Pieces already cut, lying about.
    const int a[4] = {1, -1, 0, 0}, b[4] = {-1, 1, 1, 0}, c[4] = {0, 0, -1, 1};
    Piece(caption, 70 - ox, 232 - oy, 36, a, Hex(0x5FC9B8), Hex(0x1F7F72), 3);
    Piece(caption, 118 - ox, 222 - oy, 36, b, Hex(0xF6C65E), Hex(0xC9822A), 5);
    Piece(caption, 168 - ox, 236 - oy, 36, c, Hex(0x6B8FD6), Hex(0x2D4C92), 3);

    PieceCountBox(caption, ox, oy);
    Rule(caption, 36 - ox, 236 - ox, 356 - oy, 0.6f);
    ArtKit::TextCentred(caption, heading, "TIP", 136 - ox, 368 - oy, style::kGold, 3);
    const char* tip[] = {"Draw a frame round loose", "pieces to move them", "all together."};
    for (int i = 0; i < 3; ++i) ArtKit::TextCentred(caption, hint, tip[i], 136 - ox, 392 + 18 * i - oy, style::kCream, 0, 0.75f);
    art.Add(res::kCalculate, caption.ToSurface());

    // The bar: a teal gradient laid on the colour of its well.
    Canvas bar(kProgressWidth, kProgressHeight, style::kWell);
    Mask body = ArtKit::Rounded(bar, {0, 0, static_cast<float>(kProgressWidth), static_cast<float>(kProgressHeight)}, 5);
    bar.Paint(body, style::kOnEdge);
    Mask fill = ArtKit::Rounded(bar, {1, 1, kProgressWidth - 1.0f, kProgressHeight - 1.0f}, 4);
    bar.PaintVertical(fill, 0, style::kOnTop, static_cast<float>(kProgressHeight), style::kOnBottom);
    ArtKit::Gloss(bar, fill, 1, kProgressHeight * 0.55f, 0.3f);
    art.Add(res::kProgressBar, bar.ToSurface());

    // The page as it looks half way through: caption, bar squeezed to half,
    // the cut picture and the numbers on top.
    Canvas screen = cutScreen;
    screen.Place(caption, ox, oy);
    Canvas half(kProgressWidth / 2, kProgressHeight);
    const int s = half.PixelsPerUnit();
    for (int y = 0; y < half.PixelHeight(); ++y)
        for (int x = 0; x < half.PixelWidth(); ++x) half.Set(x, y, bar.At(x * 2, y));
    screen.Place(half, kProgressX, kProgressY);
    // The cut picture is drawn over the caption by the game.
    for (int y = kPreviewTop * s; y < (kPreviewTop + kPreviewBox) * s; ++y)
        for (int x = kPreviewLeft * s; x < (kPreviewLeft + kPreviewBox) * s; ++x)
            if (y >= oy * s) screen.Set(x, y, cutScreen.At(x, y));
    ArtKit::Text(screen, fonts.Serif(22), "50", kPercentX, kPercentY, style::kWhite);
    ArtKit::Text(screen, fonts.Serif(22), "64", kCountX, kCountY, style::kWhite);
    art.AddScreen("calculate_page", screen.ToSurface());
}
