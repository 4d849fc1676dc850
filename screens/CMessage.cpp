// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/CMessage.h"

#include <algorithm>
#include <vector>

#include "core/CLog.h"
#include "core/CMgrInput.h"
#include "platform/VirtualKeys.h"
#include "resources/CFont.h"

CMessage Message;

namespace {

constexpr int kBoxWidth = 520;
constexpr int kMargin = 24;
constexpr int kButtonWidth = 120;
constexpr int kButtonHeight = 40;
constexpr int kQuestionButtonWidth = 200;
constexpr int kButtonGap = 24;
constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;
constexpr Colour kBoxColour = MakeColour(22, 30, 52);
constexpr Colour kEdgeColour = MakeColour(214, 178, 92);
constexpr Colour kButtonColour = MakeColour(52, 70, 118);
constexpr Colour kButtonHoverColour = MakeColour(84, 110, 170);

// Words laid into lines no wider than `width`; "\n" always breaks.
std::vector<std::string> WrapLines(const std::string& text, int width)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        std::string paragraph = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        std::string line;
        std::size_t at = 0;
        while (at < paragraph.size()) {
            std::size_t space = paragraph.find(' ', at);
            std::string word = paragraph.substr(at, space == std::string::npos ? std::string::npos : space - at);
            at = space == std::string::npos ? paragraph.size() : space + 1;
            std::string longer = line.empty() ? word : line + " " + word;
            if (!line.empty() && SmallFont.TextWidth(longer.c_str()) > width) {
                lines.push_back(line);
                line = word;
            } else {
                line = longer;
            }
        }
        lines.push_back(line);
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return lines;
}

void DrawBorder(Surface& back, const PixelRect& r, Colour colour, int thickness)
{
    const int w = r.right - r.left, h = r.bottom - r.top;
    back.FillRect(r.left, r.top, w, thickness, colour);
    back.FillRect(r.left, r.bottom - thickness, w, thickness, colour);
    back.FillRect(r.left, r.top, thickness, h, colour);
    back.FillRect(r.right - thickness, r.top, thickness, h, colour);
}

bool Inside(const PixelRect& r, Point p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

}  // namespace

void CMessage::Show(const std::string& text)
{
    Log.Write("Message: %s\n", text.c_str());
    texts.push_back(Entry{text, "OK", "", nullptr});
}

void CMessage::Ask(const std::string& text, const std::string& yesLabel, const std::string& noLabel,
                   std::function<void()> yes)
{
    Log.Write("Question: %s\n", text.c_str());
    texts.push_back(Entry{text, yesLabel, noLabel, std::move(yes)});
}

void CMessage::Dismiss()
{
    if (texts.empty()) return;
    texts.pop_front();
    // The next message keeps the same screen behind it.
    if (texts.empty()) {
        haveBackdrop = false;
        backdrop = Surface();
    }
    // The press that dismissed it must not act on the screen below.
    InputMgr.Reset();
}

bool CMessage::OnKeyDown(int key)
{
    if (!IsShowing()) return false;
    if (key == VK_RETURN || key == VK_ESCAPE) Dismiss();
    return true;
}

void CMessage::Clear()
{
    texts.clear();
    haveBackdrop = false;
    backdrop = Surface();
}

PixelRect CMessage::OkButton() const
{
    const int top = (kScreenHeight - boxHeight) / 2;
    const int bottom = top + boxHeight - kMargin;
    const int width = IsQuestion() ? kQuestionButtonWidth : kButtonWidth;
    const int left = IsQuestion() ? kScreenWidth / 2 - kButtonGap / 2 - width : (kScreenWidth - width) / 2;
    return {left, bottom - kButtonHeight, left + width, bottom};
}

PixelRect CMessage::SecondButton() const
{
    if (!IsQuestion()) return {0, 0, 0, 0};
    const PixelRect first = OkButton();
    const int left = kScreenWidth / 2 + kButtonGap / 2;
    return {left, first.top, left + kQuestionButtonWidth, first.bottom};
}

void CMessage::DrawButton(Surface& back, const PixelRect& rect, const std::string& label) const
{
    const bool over = Inside(rect, CMgrInput::GetCursor());
    back.FillRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                  over ? kButtonHoverColour : kButtonColour);
    DrawBorder(back, rect, kEdgeColour, 1);
    LargeFont.PrintInRect(
        TextRect{rect.left, rect.top + (kButtonHeight - LargeFont.LineHeight()) / 2, rect.right, rect.bottom},
        TEXT_CENTER, "%s", label.c_str());
}

void CMessage::KeepBackdrop(const Surface& back)
{
    if (!IsShowing() || haveBackdrop) return;
    // The screen as it was last shown, dimmed to half.
    backdrop = back;
    Colour* pixels = backdrop.Pixels();
    const std::size_t count = static_cast<std::size_t>(backdrop.Width()) * static_cast<std::size_t>(backdrop.Height());
    for (std::size_t i = 0; i < count; ++i) pixels[i] = (pixels[i] >> 1) & 0x7F7F7F;
    haveBackdrop = true;
}

void CMessage::Update(Surface& back)
{
    if (!IsShowing()) return;
    KeepBackdrop(back);
    back.Blit(0, 0, backdrop.Width(), backdrop.Height(), backdrop, 0, 0);

    const std::vector<std::string> lines = WrapLines(texts.front().text, kBoxWidth - 2 * kMargin);
    const int lineHeight = std::max(SmallFont.LineHeight(), 16);
    boxHeight = kMargin + static_cast<int>(lines.size()) * lineHeight + kMargin + kButtonHeight + kMargin;
    const PixelRect box{(kScreenWidth - kBoxWidth) / 2, (kScreenHeight - boxHeight) / 2,
                        (kScreenWidth + kBoxWidth) / 2, (kScreenHeight - boxHeight) / 2 + boxHeight};
    back.FillRect(box.left, box.top, kBoxWidth, boxHeight, kBoxColour);
    DrawBorder(back, box, kEdgeColour, 2);
    int y = box.top + kMargin;
    for (const std::string& line : lines) {
        const int width = SmallFont.TextWidth(line.c_str());
        SmallFont.Print(box.left + (kBoxWidth - width) / 2, y, "%s", line.c_str());
        y += lineHeight;
    }

    const PixelRect ok = OkButton();
    const PixelRect second = SecondButton();
    DrawButton(back, ok, texts.front().yesLabel);
    if (IsQuestion()) DrawButton(back, second, texts.front().noLabel);

    if (InputMgr.IsLeftButtonDown() || InputMgr.IsRightButtonDown()) {
        const bool left = InputMgr.IsLeftButtonDown();
        const bool onOk = left && Inside(ok, CMgrInput::GetCursor());
        const bool onSecond = left && IsQuestion() && Inside(second, CMgrInput::GetCursor());
        InputMgr.Reset();  // no click reaches the screen below
        if (onOk) {
            std::function<void()> yes = std::move(texts.front().yes);
            Dismiss();
            if (yes) yes();
        } else if (onSecond) {
            Dismiss();
        }
    }
}
