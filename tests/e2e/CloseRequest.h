// SPDX-License-Identifier: GPL-3.0-or-later
// The request a desktop sends when its close button is clicked: a
// WM_DELETE_WINDOW message to the window, on the X display named.
#pragma once

#include <string>

// The window's id as xdotool gives it, decimal or "0x...".
bool SendCloseRequest(const std::string& display, const std::string& windowId);
