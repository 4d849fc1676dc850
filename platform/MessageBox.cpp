#include "platform/MessageBox.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>

namespace {

bool onlyStandardError = false;

Uint32 SdlFlags(MessageBoxIcon icon)
{
    return icon == MessageBoxIcon::Error ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
}

}  // namespace

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

void MessageBox::Show(const char* caption, const char* text, MessageBoxIcon icon)
{
    WriteToStandardError(caption, text);
    if (onlyStandardError) return;
    // Without a display SDL answers with an error at once; the text is already out.
    SDL_ShowSimpleMessageBox(SdlFlags(icon), caption, text, nullptr);
}
