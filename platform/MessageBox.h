// SPDX-License-Identifier: GPL-3.0-or-later
// Message boxes that belong to no window: the critical error's, and any shown
// before the window exists or after it is gone. The text always goes to
// standard error as well, so that a run without a display (or a player at a
// terminal) still sees it.
#pragma once

enum class MessageBoxIcon { Error, Information };

class MessageBox {
public:
    // Shows a modal box with an OK button and waits until it is dismissed:
    // the desktop's dialog tool (zenity, kdialog), else SDL's own box. Where
    // none can be shown (neither DISPLAY nor WAYLAND_DISPLAY, or boxes sent
    // to standard error) it returns false at once, starting no dialog tool;
    // the text is on standard error in any case.
    static bool Show(const char* caption, const char* text, MessageBoxIcon icon = MessageBoxIcon::Error);

    // The desktop's dialog tool (zenity, else kdialog) with an error or an
    // information box; false when neither is there or it could not show its
    // box (it exited with 255).
    static bool ShowWithTool(const char* caption, const char* text, MessageBoxIcon icon);

    // Tests turn boxes off so that nothing waits for a click: every box then
    // only goes to standard error.
    static void SendToStandardError(bool onlyThere);
    static bool IsSentToStandardError();

    // Writes "caption: text" to standard error.
    static void WriteToStandardError(const char* caption, const char* text);
};
