// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Paths.h"

#include <SDL.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

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

bool Paths::FindWithSpacesAsUnderscores(const char* base, const std::string& written, std::string* found)
{
    namespace fs = std::filesystem;
    if (written.empty()) return false;
    const bool absolute = written[0] == '/';
    std::string folder = absolute ? "/" : std::string(base ? base : "");
    std::string name = absolute ? "/" : "";
    std::size_t start = absolute ? 1 : 0;
    while (start <= written.size()) {
        std::size_t slash = written.find('/', start);
        if (slash == std::string::npos) slash = written.size();
        const std::string part = written.substr(start, slash - start);
        const bool last = slash == written.size();
        start = slash + 1;
        if (part.empty()) continue;
        std::error_code error;
        std::string match;
        if (fs::exists(fs::path(folder.empty() ? "." : folder) / part, error)) {
            match = part;
        } else {
            std::vector<std::string> candidates;
            for (fs::directory_iterator entry(folder.empty() ? "." : folder, error), end; !error && entry != end;
                 entry.increment(error)) {
                std::string entryName = entry->path().filename().string();
                std::string asWritten = entryName;
                std::replace(asWritten.begin(), asWritten.end(), ' ', '_');
                if (asWritten == part) candidates.push_back(entryName);
            }
            if (candidates.empty()) return false;
            match = *std::min_element(candidates.begin(), candidates.end());
        }
        folder += match + (last ? "" : "/");
        name += match + (last ? "" : "/");
    }
    *found = name;
    return true;
}

std::string Paths::FromDroppedText(const std::string& text)
{
    // The first line that is not empty.
    std::size_t start = text.find_first_not_of("\r\n \t");
    if (start == std::string::npos) return {};
    std::size_t end = text.find_first_of("\r\n", start);
    std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!line.empty() && line[0] == '/') return line;
    constexpr const char* kScheme = "file://";
    if (line.compare(0, std::strlen(kScheme), kScheme) != 0) return {};
    std::string rest = line.substr(std::strlen(kScheme));
    // "file:///path" or "file://localhost/path"; another host is not ours.
    std::size_t slash = rest.find('/');
    if (slash == std::string::npos) return {};
    std::string host = rest.substr(0, slash);
    if (!host.empty() && host != "localhost") return {};
    std::string path;
    for (std::size_t i = slash; i < rest.size(); ++i) {
        auto hex = [](char c) {
            return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        };
        if (rest[i] == '%' && i + 2 < rest.size() && hex(rest[i + 1]) >= 0 && hex(rest[i + 2]) >= 0) {
            path.push_back(static_cast<char>(hex(rest[i + 1]) * 16 + hex(rest[i + 2])));
            i += 2;
        } else {
            path.push_back(rest[i]);
        }
    }
    return path.find('\0') == std::string::npos ? path : std::string();
}
