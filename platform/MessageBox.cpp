// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/MessageBox.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/ChildProcess.h"

namespace {

bool onlyStandardError = false;

// zenity's and kdialog's answer when they could not show their box at all.
constexpr int kToolCouldNotRun = 255;

// Neither an X nor a Wayland display to show a box on: a dialog tool could
// only fail (or SDL would try one).
bool HasDisplay()
{
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value && *value) return true;
    }
    return false;
}

Uint32 SdlFlags(MessageBoxIcon icon)
{
    return icon == MessageBoxIcon::Error ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
}

}  // namespace

bool MessageBox::ShowWithTool(const char* caption, const char* text, MessageBoxIcon icon)
{
    const bool error = icon == MessageBoxIcon::Error;
    int exitCode = -1;
    if (ChildProcess::IsInstalled("zenity"))
        exitCode = ChildProcess::Run({"zenity", error ? "--error" : "--info", "--no-markup",
                                      std::string("--title=") + caption, std::string("--text=") + text},
                                     nullptr);
    else if (ChildProcess::IsInstalled("kdialog"))
        exitCode = ChildProcess::Run({"kdialog", "--title", caption, error ? "--error" : "--msgbox", text}, nullptr);
    return exitCode >= 0 && exitCode != kToolCouldNotRun;
}

void MessageBox::SendToStandardError(bool onlyThere) { onlyStandardError = onlyThere; }
bool MessageBox::IsSentToStandardError() { return onlyStandardError; }

void MessageBox::WriteToStandardError(const char* caption, const char* text)
{
    std::fprintf(stderr, "%s: %s", caption, text);
    // Messages usually carry their own line end; make sure the next output starts afresh.
    std::size_t length = std::strlen(text);
    if (length == 0 || text[length - 1] != '\n') std::fputc('\n', stderr);
    std::fflush(stderr);
}

bool MessageBox::Show(const char* caption, const char* text, MessageBoxIcon icon)
{
    // Standard error always has it, whatever else can be shown.
    WriteToStandardError(caption, text);
    if (onlyStandardError || !HasDisplay()) return false;
    // The desktop's own tool first: SDL's box without a parent window needs
    // the X server's core fonts, which many desktops no longer have (it then
    // fails, or opens with no text to read).
    if (ShowWithTool(caption, text, icon)) return true;
    return SDL_ShowSimpleMessageBox(SdlFlags(icon), caption, text, nullptr) == 0;
}
