// SPDX-License-Identifier: GPL-3.0-or-later
// The one exit for errors the game cannot continue from.
#pragma once

class CError {
public:
    // Shuts the game down, logs the message, shows it in a message box
    // captioned "Critical Error" and ends the process with exit code -1.
    [[noreturn]] void CriticalError(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // A harness that runs game code over many inputs in one process (the fuzz
    // programs) takes the error over instead: the handler gets the formatted
    // message before anything is shut down and must not return (it throws).
    // Should it return, the game ends as usual. nullptr restores the usual end.
    using Handler = void (*)(const char* message);
    void SetHandler(Handler handler_) { handler = handler_; }

private:
    Handler handler = nullptr;
};

extern CError Error;
