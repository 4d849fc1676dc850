// The one exit for errors the game cannot continue from.
#pragma once

class CError {
public:
    // Shuts the game down, logs the message, shows it in a message box
    // captioned "Critical Error" and ends the process with exit code -1.
    [[noreturn]] void CriticalError(const char* format, ...) __attribute__((format(printf, 2, 3)));
};

extern CError Error;
