#include "platform/Paths.h"

#include <SDL.h>
#include <unistd.h>

#include <cstring>

namespace {

// Copies a folder name and makes sure it ends with "/".
bool CopyFolder(char* out, std::size_t size, const char* folder)
{
    if (!folder || !*folder) return false;
    std::size_t length = std::strlen(folder);
    bool needsSlash = folder[length - 1] != '/';
    if (length + (needsSlash ? 1 : 0) + 1 > size) {
        if (size > 0) out[0] = '\0';
        return false;
    }
    std::memcpy(out, folder, length);
    if (needsSlash) out[length++] = '/';
    out[length] = '\0';
    return true;
}

}  // namespace

bool Paths::CopyBounded(char* out, std::size_t size, const char* text)
{
    if (size == 0) return false;
    std::size_t length = std::strlen(text);
    if (length + 1 > size) {
        out[0] = '\0';
        return false;
    }
    std::memcpy(out, text, length + 1);
    return true;
}

bool Paths::ExecutableFolder(char* out, std::size_t size)
{
    char* folder = SDL_GetBasePath();
    bool ok = CopyFolder(out, size, folder);
    SDL_free(folder);
    return ok;
}

bool Paths::UserDataFolder(char* out, std::size_t size)
{
    char* folder = SDL_GetPrefPath("", "pavendra");
    bool ok = CopyFolder(out, size, folder);
    SDL_free(folder);
    return ok;
}

bool Paths::CurrentFolder(char* out, std::size_t size)
{
    char buffer[4096];
    if (!getcwd(buffer, sizeof buffer)) return false;
    return CopyFolder(out, size, buffer);
}

bool Paths::IsWritableFolder(const char* folder) { return folder && *folder && access(folder, W_OK | X_OK) == 0; }
