// SPDX-License-Identifier: GPL-3.0-or-later
// The token scanner of the game's keyword files (settings and saved game):
// words and numbers separated by white space, with "//" comments.
//
// It works in place on the caller's buffer and destroys the text as it goes:
// the separator after each token is overwritten with a zero byte, so every
// token it hands out is a zero-terminated string inside the buffer. The
// buffer must hold zero bytes at the end position and a few beyond it.
#pragma once

#include <cstdint>
#include <vector>

class CParser {
public:
    // The next token in [position, end), or nullptr when none is left.
    // Separators are space, tab, LF, CR, the double quote and the zero byte;
    // "//" starts a comment (to the end of the line) only where a token could
    // start. The caller resumes from the token's start plus its length.
    char* NextToken(char* position, const char* end);
    // Characters of the token found by the last NextToken; 0 when it found none.
    std::uint32_t GetTokenLength() const { return tokenLength; }

    static bool IsSeparator(char c);

    // Zero bytes the readers keep after the text, as the scanner needs.
    static constexpr std::uint32_t kPadding = 8;
    // Keyword files are a few kilobytes; anything far larger is not one.
    static constexpr std::uint32_t kLargestFile = 1u << 20;
    enum class ReadResult { Read, Missing, Unreadable };
    // Reads a whole keyword file from the game's write folder into `text`,
    // followed by kPadding zero bytes. Missing: no such file. Unreadable: too
    // large to be one of ours, or cut short while reading.
    static ReadResult ReadFile(const char* name, std::vector<char>& text);

private:
    std::uint32_t tokenLength = 0;
};

// The one scanner the settings and saved-game readers share.
extern CParser TheParser;
