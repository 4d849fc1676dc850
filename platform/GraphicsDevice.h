// SPDX-License-Identifier: GPL-3.0-or-later
// Whether the machine may have a graphics card that OpenGL could draw with.
// Asking OpenGL itself loads its driver (tens of megabytes, a good part of
// start-up); where the system shows no graphics device at all, OpenGL could
// only draw on the processor, and the answer is known without asking.
#pragma once

#include <string>

class GraphicsDevice {
public:
    // Looks for the device files graphics drivers make under `deviceFolder`
    // (/dev): the kernel's direct rendering devices, or a vendor's own. True
    // when any is there, or when the folder cannot be read (then only
    // OpenGL can tell).
    static bool MayBePresent(const std::string& deviceFolder = "/dev");
};
