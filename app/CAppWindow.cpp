// SPDX-License-Identifier: GPL-3.0-or-later
// CApp's window: opening it, the back buffer at its drawing scale, resizes,
// messages over it, and stepping aside for another program's dialog.
#include "app/CApp.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/CLog.h"
#include "core/CTimer.h"
#include "platform/BmpCodec.h"
#include "platform/Display.h"
#include "platform/InputHub.h"
#include "platform/MessageBox.h"
#include "platform/SdlDisplay.h"
#include "puzzle/CGame.h"
#include "core/CFile.h"
#include "resources/ResourceNames.h"
#include "screens/CMessage.h"

namespace {

// A window icon is a few kilobytes; anything far larger is not one. Its
// picture goes through the game's own checked bitmap reader, held to the
// size of the largest icon a window system shows.
constexpr std::uint32_t kLargestIcon = 4u << 20;
constexpr long long kLargestIconPixels = 512 * 512;

void LoadWindowIcon(Display& window)
{
    if (!DataFile.Open(res::kWindowIcon, FILE_READ)) return;  // no icon is fine
    std::uint32_t size = DataFile.GetSize();
    if (size > kLargestIcon) {
        DataFile.Close();
        Log.Write("--- Window icon %s is too large\n", res::kWindowIcon);
        return;
    }
    std::vector<unsigned char> bytes(size);
    std::uint32_t got = DataFile.Read(bytes.data(), size);
    DataFile.Close();
    Surface icon;
    if (got != size || !BmpCodec::Decode(bytes.data(), bytes.size(), icon, nullptr, kLargestIconPixels) ||
        !window.SetIcon(icon)) {
        Log.Write("--- Window icon %s is not a picture\n", res::kWindowIcon);
    }
}

}  // namespace

void CApp::CreateMainWindow()
{
    InputHub::SetHandler([this](const InputEvent& event) { OnInput(event); });
    window = testDisplay ? testDisplay : new SdlDisplay();
    // --windowed holds for this run only; the remembered choice stays.
    fullScreen = fullScreenChoice && !startWindowed;
    window->SetWindowedSize(windowedSize.IsKnown() ? windowedSize : WindowExtent{});
    if (!window->Open(title, kClientWidth, kClientHeight, fullScreen)) {
        ReleaseWindow();
        Log.Write("Windows Creation Error\n");
        MessageBox::Show("Error", "Windows Creation Error");
        // Not a normal end of the game: say so to whoever started it.
        std::exit(1);
    }
    if (*window->PresenterNote()) Log.Write("--- %s\n", window->PresenterNote());
    LoadWindowIcon(*window);
    CreateBackBuffer();
}

void CApp::CreateBackBuffer()
{
    int clientWidth = window ? window->ClientWidth() : kClientWidth;
    int clientHeight = window ? window->ClientHeight() : kClientHeight;
    backWidth = static_cast<float>(clientWidth);
    backHeight = static_cast<float>(clientHeight);
    // The frame has the screen's own pixels; the game still draws in its
    // client area's units.
    const int scale = window ? window->DrawingScale() : 1;
    if (BackBuffer().Scale() != scale || BackBuffer().UnitWidth() != clientWidth ||
        BackBuffer().UnitHeight() != clientHeight || BackBuffer().IsEmpty()) {
        // A scale other than 1, or a way back to it, goes to the log.
        const bool scaledBefore = !BackBuffer().IsEmpty() && BackBuffer().Scale() != 1;
        BackBuffer() = Surface::Scaled(clientWidth, clientHeight, scale);
        if (scale != 1 || scaledBefore)
            Log.Write("--- Drawing at %i x %i pixels\n", clientWidth * scale, clientHeight * scale);
        Game.MatchDrawingScale(scale);
    }
    BackBuffer().Fill(kWhite);
}

void CApp::OnResize()
{
    // The game always sees the same client area, whatever the window's size on
    // the screen: the frame is scaled to the window, not rebuilt larger.
    int clientWidth = window ? window->ClientWidth() : kClientWidth;
    int clientHeight = window ? window->ClientHeight() : kClientHeight;
    width = clientWidth + kFrameWidth;
    height = clientHeight + kFrameHeight;
    CreateBackBuffer();
    resizePending = false;
}

void CApp::ShowMessageBox(const char* caption, const char* text)
{
    if (window && window->IsOpen()) {
        window->ShowMessageBox(caption, text, true);
    } else {
        MessageBox::Show(caption, text);
    }
}

void CApp::ShowMessage(const std::string& text)
{
    if (window && window->IsOpen()) {
        Message.Show(text);
    } else {
        Log.Write("Message: %s\n", text.c_str());
        MessageBox::Show("Pavendra", text.c_str());
    }
}

void CApp::RunOutsideDialog(const std::function<void()>& dialog)
{
    const bool aside = window && window->IsOpen();
    if (aside) window->StepAside();
    dialog();
    if (aside) window->ComeBack();
    Timer.SkipPause();
}

void CApp::ReleaseWindow()
{
    if (!window) return;
    window->Close();
    if (window != testDisplay) delete window;
    window = nullptr;
}
