// SPDX-License-Identifier: GPL-3.0-or-later
// What every fuzz program shares. The game's files (the archive, the saved
// game, the settings, the log) live in a private folder under the temporary
// folder, removed when the program ends. Message boxes go to standard error
// only. A critical error does not end the process: it becomes an exception
// that the target catches, and a target that meets one it did not expect
// reports it as a finding, as a sanitizer would, so the fuzzer keeps the input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

class FuzzHarness {
public:
    // What a critical error throws inside a fuzz program.
    struct CriticalErrorRaised {
        std::string message;
    };

    // Sets everything up on the first call; then the folder, ending with "/".
    // It is the game's program and write folder.
    static const std::string& Folder();
    // Writes bytes as a file of the folder.
    static void WriteFile(const std::string& name, const void* data, std::size_t size);
    // Starts one input: the log begins afresh, so it never grows over a run.
    static void BeginInput();
    // Runs one input's work; a critical error inside it is a finding.
    static void Run(const std::function<void()>& work);
    // Reports a finding on standard error and aborts.
    [[noreturn]] static void Finding(const char* what, const std::string& detail = std::string());
};
