// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/GraphicsDevice.h"

#include <filesystem>
#include <system_error>

bool GraphicsDevice::MayBePresent(const std::string& deviceFolder)
{
    namespace fs = std::filesystem;
    std::error_code error;
    if (!fs::is_directory(deviceFolder, error)) return true;
    // Direct rendering: card0, renderD128, ... under dri.
    const fs::path dri = fs::path(deviceFolder) / "dri";
    if (fs::is_directory(dri, error)) {
        for (const fs::directory_entry& entry : fs::directory_iterator(dri, error)) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("card", 0) == 0 || name.rfind("render", 0) == 0) return true;
        }
    }
    // A driver that makes its own device files instead.
    for (const char* own : {"nvidiactl", "nvidia0"})
        if (fs::exists(fs::path(deviceFolder) / own, error)) return true;
    return false;
}
