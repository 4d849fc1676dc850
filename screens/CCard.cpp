// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/CCard.h"

#include <algorithm>

#include "core/CLog.h"
#include "core/CSystem.h"
#include "resources/CFont.h"

CCard Card;

namespace {

constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;
constexpr int kCardWidth = 700;
constexpr int kMargin = 22;
constexpr int kKeysWidth = 270;  // the column of keys; what they do follows
constexpr Colour kCardColour = MakeColour(22, 30, 52);
constexpr Colour kEdgeColour = MakeColour(214, 178, 92);
constexpr Colour kCoverColour = MakeColour(12, 16, 28);

void DrawBorder(Surface& back, const PixelRect& r, Colour colour, int thickness)
{
    const int w = r.right - r.left, h = r.bottom - r.top;
    back.FillRect(r.left, r.top, w, thickness, colour);
    back.FillRect(r.left, r.bottom - thickness, w, thickness, colour);
    back.FillRect(r.left, r.top, thickness, h, colour);
    back.FillRect(r.right - thickness, r.top, thickness, h, colour);
}

void PrintCentred(CFont& font, int y, const std::string& text)
{
    font.Print((kScreenWidth - font.TextWidth(text.c_str())) / 2, y, "%s", text.c_str());
}

}  // namespace

std::vector<CCard::Row> CCard::HelpRows(unsigned state, bool puzzleSolved)
{
    std::vector<Row> help;
    if (state == STATE_GAME && !puzzleSolved) {
        help = {{"MOUSE", "DRAG A PIECE; PIECES THAT FIT JOIN"},
                {"", "DRAG ON THE FREE BOARD TO SELECT"},
                {"WHEEL, +, -", "ZOOM THE TABLE"},
                {"HOME", "THE WHOLE TABLE"},
                {"ARROWS, RIGHT DRAG", "MOVE THE TABLE"},
                {"CTRL+Z", "UNDO"},
                {"CTRL+Y, CTRL+SHIFT+Z", "REDO"},
                {"P, PAUSE", "PAUSE: THE CLOCK STOPS"}};
    } else if (state == STATE_GAME) {
        help = {{"ANY KEY, CLICK", "BACK TO THE PICTURES"}};
    } else if (state == STATE_MENU) {
        help = {{"MOUSE", "CLICK A PICTURE OR A BUTTON"},
                {"", "OR DROP A PICTURE FILE ON THE WINDOW"},
                {"PAGE UP, PAGE DOWN", "TURN THE PICTURE PAGES"},
                {"RIGHT BUTTON", "REMOVE A KEPT PUZZLE"}};
    } else {
        help = {{"ANY KEY, CLICK", "ON TO THE PICTURES"}};
    }
    help.push_back({"M", "MUSIC ON OR OFF"});
    help.push_back({"ALT+ENTER", "FULL SCREEN OR A WINDOW"});
    help.push_back({"ESCAPE", state == STATE_GAME && !puzzleSolved ? "SAVE THE PUZZLE AND QUIT" : "QUIT"});
    help.push_back({"F1, ?", "THIS CARD"});
    return help;
}

void CCard::ShowHelp(unsigned state, bool puzzleSolved, int openingKey)
{
    kind = Kind::Help;
    heldKey = openingKey;
    rows = HelpRows(state, puzzleSolved);
    haveBackdrop = false;
    drawnVersion = 0;
}

void CCard::ShowPause(int openingKey)
{
    Log.Write("--- Paused: the play clock stops\n");
    kind = Kind::Pause;
    heldKey = openingKey;
    rows.clear();
    haveBackdrop = false;
    drawnVersion = 0;
}

void CCard::Close()
{
    if (kind == Kind::Pause) Log.Write("--- Play goes on after the pause\n");
    kind = Kind::None;
    rows.clear();
    heldKey = 0;
    haveBackdrop = false;
    backdrop = Surface();
}

bool CCard::OnPress(int key)
{
    if (!IsShowing()) return false;
    if (key != 0 && key == heldKey) return true;  // the opening key, repeating
    Close();
    return true;
}

void CCard::OnKeyUp(int key)
{
    if (key == heldKey) heldKey = 0;
}

void CCard::KeepBackdrop(const Surface& back)
{
    if (haveBackdrop) return;
    // The screen as it was last shown, dimmed to a third.
    backdrop = back;
    Colour* pixels = backdrop.Pixels();
    const std::size_t count = static_cast<std::size_t>(backdrop.Width()) * static_cast<std::size_t>(backdrop.Height());
    for (std::size_t i = 0; i < count; ++i) pixels[i] = (pixels[i] >> 2) & 0x3F3F3F;
    haveBackdrop = true;
}

bool CCard::Update(Surface& back)
{
    if (!IsShowing()) return false;
    if (drawnVersion != 0 && back.Version() == drawnVersion) return false;
    if (kind == Kind::Pause) {
        back.FillRect(0, 0, kScreenWidth, kScreenHeight, kCoverColour);
        DrawCard(back, "PAUSED", {{"", "THE CLOCK IS STOPPED"}}, "PRESS ANY KEY OR CLICK TO PLAY ON");
    } else {
        KeepBackdrop(back);
        // A back buffer made anew (another drawing scale) no longer fits it.
        if (backdrop.Width() == back.Width() && backdrop.Height() == back.Height()) {
            back.Blit(0, 0, backdrop.Width(), backdrop.Height(), backdrop, 0, 0);
        } else {
            back.FillRect(0, 0, kScreenWidth, kScreenHeight, kCoverColour);
        }
        DrawCard(back, "CONTROLS", rows, "PRESS ANY KEY OR CLICK TO CLOSE");
    }
    drawnVersion = back.Version();
    return true;
}

void CCard::DrawCard(Surface& back, const std::string& title, const std::vector<Row>& lines,
                     const std::string& footer) const
{
    const int lineHeight = std::max(SmallFont.LineHeight(), 16);
    const int titleHeight = std::max(LargeFont.LineHeight(), 24);
    const int height = kMargin + titleHeight + kMargin / 2 + static_cast<int>(lines.size()) * lineHeight +
                       kMargin / 2 + lineHeight + kMargin;
    const int left = (kScreenWidth - kCardWidth) / 2, top = (kScreenHeight - height) / 2;
    back.FillRect(left, top, kCardWidth, height, kCardColour);
    DrawBorder(back, PixelRect{left, top, left + kCardWidth, top + height}, kEdgeColour, 2);
    int y = top + kMargin;
    PrintCentred(LargeFont, y, title);
    y += titleHeight + kMargin / 2;
    for (const Row& row : lines) {
        if (row.keys.empty() && lines.size() == 1) {
            PrintCentred(SmallFont, y, row.meaning);
        } else {
            SmallFont.Print(left + kMargin, y, "%s", row.keys.c_str());
            SmallFont.Print(left + kMargin + kKeysWidth, y, "%s", row.meaning.c_str());
        }
        y += lineHeight;
    }
    y += kMargin / 2;
    PrintCentred(SmallFont, y, footer);
}
