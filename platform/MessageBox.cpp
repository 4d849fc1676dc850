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
    if (ChildProcess::IsInstalled("zenity"))
        return ChildProcess::Run({"zenity", error ? "--error" : "--info", "--no-markup", std::string("--title=") + caption,
                                  std::string("--text=") + text},
                                 nullptr) >= 0;
    if (ChildProcess::IsInstalled("kdialog"))
        return ChildProcess::Run({"kdialog", "--title", caption, error ? "--error" : "--msgbox", text}, nullptr) >= 0;
    return false;
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
    if (SDL_ShowSimpleMessageBox(SdlFlags(icon), caption, text, nullptr) == 0) return true;
    return ShowWithTool(caption, text, icon);
}
