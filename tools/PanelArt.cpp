// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/PanelArt.h"

#include <cmath>

#include "resources/ResourceNames.h"
#include "tools/ScreenLayout.h"

namespace {

using namespace layout;

constexpr int kTopBarWidth = 3 * kTopButtonStep + 12;
constexpr int kTopBarHeight = 34;
constexpr int kTimerWidth = kScreenWidth - kTimerX;
constexpr int kTimerHeight = 34;

// A plate hanging from the top edge of the screen, rounded where it ends.
// The canvas edge colour is dark so the cut-out edge reads as a rim.
Mask HangingPlate(Canvas& canvas, RectF r)
{
    Mask shape = ArtKit::Rounded(canvas, r, 12);
    canvas.Paint(shape, Mix(style::kPanelEdge, style::kShadow, 0.3f));
    Mask inner = ArtKit::Rounded(canvas, r.Inset(1), 11);
    canvas.PaintVertical(inner, 0, style::kPanelTop, r.bottom, style::kPanelBottom);
    Mask rim = ArtKit::Rounded(canvas, r.Inset(2), 10);
    Mask line = inner;
    line.Subtract(rim);
    canvas.Paint(line, style::kGold, 0.5f);
    return shape;
}

// The screen with a plain board colour under the panel, as in a game.
Canvas Board()
{
    const int* c = kBoardColours[0];
    return Canvas(kScreenWidth, kScreenHeight, Rgb{static_cast<float>(c[0]), static_cast<float>(c[1]),
                                                   static_cast<float>(c[2])});
}

// Puts a keyed picture of the screen's scale onto it with black left out.
void PlaceKeyed(Canvas& screen, const Surface& picture, int x, int y)
{
    x *= screen.PixelsPerUnit(), y *= screen.PixelsPerUnit();
    for (int row = 0; row < picture.Height(); ++row)
        for (int col = 0; col < picture.Width(); ++col) {
            Colour c = picture.GetPixel(col, row);
            if (c != kBlack) screen.Set(x + col, y + row, {float(RedOf(c)), float(GreenOf(c)), float(BlueOf(c))});
        }
}

}  // namespace

void PanelArt::Build(ArtSet& art)
{
    Canvas top = TopBar(art);
    Canvas timer = Timer(art);
    Canvas bottom = BottomBar(art);
    PreviewFrame(art);

    Canvas screen = Board();
    PlaceKeyed(screen, art.Picture(res::kPanelTop), 0, 0);
    screen.Place(top.Crop(0, 0, 3 * kTopButtonStep, kTopButtonHeight), 0, 0);
    PlaceKeyed(screen, art.Picture(res::kTimer), kTimerX, 0);
    ArtKit::Text(screen, fonts.Serif(22), "07 : 05", kClockTextX, kClockTextY, style::kWhite);
    screen.Place(bottom, 0, kBottomBarY);
    PlaceKeyed(screen, art.Picture(res::kPreviewFrame), 560, 60);
    (void)timer;
    art.AddScreen("game_panel", screen.ToSurface());
}

Canvas PanelArt::TopBar(ArtSet& art)
{
    Canvas bar(kTopBarWidth, kTopBarHeight, style::kShadow);
    Mask plate = HangingPlate(bar, {-20, -20, static_cast<float>(kTopBarWidth), static_cast<float>(kTopBarHeight)});
    art.Add(res::kPanelTop, bar.ToSurfaceKeyed(plate));
    auto button = [&](const char* name, int x, const char* label) {
        ButtonPainter::Cut(art, bar, name, x, 0, kTopButtonStep, kTopButtonHeight, [&](Canvas& c, ButtonLook look) {
            buttons.Labelled(c, {3, 4, kTopButtonStep - 3.0f, kTopButtonHeight - 3.0f}, look, label, 13);
        });
    };
    button("Menu", kMenuX, "MENU");
    button("Save", kSaveX, "SAVE");
    button("Load", kLoadX, "LOAD");
    return bar;
}

Canvas PanelArt::Timer(ArtSet& art)
{
    Canvas timer(kTimerWidth, kTimerHeight, style::kShadow);
    Mask plate = HangingPlate(timer, {0, -20, kTimerWidth + 20.0f, static_cast<float>(kTimerHeight)});
    // A little clock face in front of the time.
    float cx = 22, cy = 16, r = 9;
    Mask face = Mask::Ellipse(kTimerWidth, kTimerHeight, cx, cy, r, r);
    ArtKit::Shadow(timer, face, 0, 1, 1, 0.6f);
    timer.Paint(face, style::kGold);
    timer.Paint(Mask::Ellipse(kTimerWidth, kTimerHeight, cx, cy, r - 1.6f, r - 1.6f), style::kCream);
    Path hands{{cx, cy - 5.5f}, {cx, cy}, {cx + 4, cy + 2}};
    timer.Paint(Mask::Stroke(kTimerWidth, kTimerHeight, hands, 1.6f, false), style::kInk);
    // The time itself sits in a well.
    int textLeft = kClockTextX - kTimerX;
    ArtKit::Well(timer, {textLeft - 5.0f, 3, kTimerWidth - 4.0f, kTimerHeight - 4.0f}, 6);
    art.Add(res::kTimer, timer.ToSurfaceKeyed(plate));
    return timer;
}

Canvas PanelArt::BottomBar(ArtSet& art)
{
    Canvas bar(kScreenWidth, kBottomBarHeight);
    Mask all(kScreenWidth, kBottomBarHeight, 1.0f);
    bar.PaintVertical(all, 0, style::kPanelTop, static_cast<float>(kBottomBarHeight), style::kPanelBottom);
    Mask edge(kScreenWidth, kBottomBarHeight);
    for (int y = 0; y < edge.PixelsPerUnit(); ++y)
        for (int x = 0; x < edge.PixelWidth(); ++x) edge.Ref(x, y) = 1;
    bar.Paint(edge, style::kGold, 0.8f);
    bar.Paint(edge.Shifted(0, 1), style::kShadow, 0.5f);

    // The name, set quietly into the middle of the bar.
    const FontFace& serif = fonts.Serif(24);
    Mask name = Mask::Text(serif, "Pavendra");
    int nameX = (kArrangeX + kWideButtonWidth + kSwatchX) / 2 - name.Width() / 2 - 40;
    int nameY = (kBottomBarHeight - name.Height()) / 2 + 1;
    bar.Paint(name.Shifted(0, 1), style::kShadow, 0.6f, nameX, nameY);
    bar.Paint(name, style::kGoldPale, 0.35f, nameX, nameY);
    const FontFace& small = fonts.Sans(12);
    int labelWidth = Mask::TextWidth(small, "BOARD", 2);
    ArtKit::TextInBox(bar, small, "BOARD", {kSwatchX - 10.0f - labelWidth, 6, kSwatchX - 10.0f, 32}, style::kGold, 2);

    art.Add(res::kPanelBottom, bar.ToSurface());

    const int y = kBottomButtonY - kBottomBarY;
    auto wide = [&](const char* name, int x, const char* label, const char* toggle) {
        ButtonPainter::Cut(
            art, bar, name, x, y, kWideButtonWidth, kBottomButtonHeight,
            [&](Canvas& c, ButtonLook look) {
                buttons.Labelled(c, {2, 1.5f, kWideButtonWidth - 2.0f, kBottomButtonHeight - 2.5f}, look, label, 13);
            },
            toggle);
    };
    wide("Border", kBorderX, "BORDER", res::kBorderToggle);
    wide("Picture", kPictureX, "PICTURE", res::kPictureToggle);
    wide("Arrange", kArrangeX, "ARRANGE", nullptr);
    for (int i = 0; i < 4; ++i) {
        const int* c = kBoardColours[i];
        Rgb colour{static_cast<float>(c[0]), static_cast<float>(c[1]), static_cast<float>(c[2])};
        std::string name = "Back" + std::to_string(i + 1);
        ButtonPainter::Cut(art, bar, name, kSwatchX + kSwatchStep * i, y, kSwatchSize, kSwatchSize,
                           [&](Canvas& canvas, ButtonLook look) {
                               buttons.Swatch(canvas, {1, 1, kSwatchSize - 1.0f, kSwatchSize - 2.0f}, look, colour);
                           });
    }
    return bar;
}

Canvas PanelArt::PreviewFrame(ArtSet& art)
{
    Canvas frame(kFrameWidth, kFrameHeight, style::kShadow);
    RectF outer{0, 0, static_cast<float>(kFrameWidth), static_cast<float>(kFrameHeight)};
    Mask shape = ArtKit::Rounded(frame, outer, 6);
    frame.Paint(shape, Mix(style::kPanelEdge, style::kShadow, 0.2f));
    Mask inner = ArtKit::Rounded(frame, outer.Inset(1), 5);
    frame.PaintVertical(inner, 0, style::kPanelTop, static_cast<float>(kFrameHeight), style::kPanelBottom);
    // The title strip, with grip lines either side of the caption.
    const FontFace& small = fonts.Sans(11);
    ArtKit::TextInBox(frame, small, "PICTURE", {0, 1, static_cast<float>(kFrameWidth), kFrameTop - 1.0f}, style::kGold, 2);
    int captionWidth = Mask::TextWidth(small, "PICTURE", 2);
    for (int side = 0; side < 2; ++side)
        for (int i = 0; i < 2; ++i) {
            float y = 5.5f + 4 * i;
            float from = side ? kFrameWidth / 2.0f + captionWidth / 2.0f + 8 : 10;
            float to = side ? kFrameWidth - 10.0f : kFrameWidth / 2.0f - captionWidth / 2.0f - 8;
            Mask grip = Mask::Stroke(kFrameWidth, kFrameHeight, {{from, y}, {to, y}}, 1, false);
            frame.Paint(grip.Shifted(0, 1), style::kShadow, 0.6f);
            frame.Paint(grip, style::kPanelEdge, 0.7f);
        }
    // The picture's place: a dark bed, seen below a picture wider than high.
    RectF bed{kFrameLeft - 1.0f, kFrameTop - 1.0f, kFrameWidth - kFrameLeft + 1.0f, kFrameHeight - 3.0f};
    frame.Paint(ArtKit::Rounded(frame, bed, 1), style::kWell);
    art.Add(res::kPreviewFrame, frame.ToSurfaceKeyed(shape));
    return frame;
}
