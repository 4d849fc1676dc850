// SPDX-License-Identifier: GPL-3.0-or-later
#include "resources/CParser.h"

#include "core/CFile.h"

CParser TheParser;

bool CParser::IsSeparator(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '"' || c == '\0';
}

char* CParser::NextToken(char* position, const char* end)
{
    tokenLength = 0;
    char* p = position;
    if (!p || p >= end) return nullptr;

    // Skip separators and comments up to the start of a token. Every byte is
    // read only after its position is known to be before the end.
    for (;;) {
        if (p >= end) return nullptr;
        if (IsSeparator(*p)) {
            ++p;
        } else if (p[0] == '/' && p + 1 < end && p[1] == '/') {
            while (p < end && *p != '\n') ++p;
            if (p >= end) return nullptr;  // the file ends inside the comment
        } else {
            break;
        }
    }
    // The token runs to the next separator or to the end position, whichever
    // comes first; the zero byte written after it lands at most on the end
    // position, which belongs to the caller's buffer.
    char* token = p;
    while (p < end && !IsSeparator(*p)) {
        ++tokenLength;
        ++p;
    }
    *p = '\0';
    return token;
}

CParser::ReadResult CParser::ReadFile(const char* name, std::vector<char>& text)
{
    text.clear();
    CFile file;  // the write folder, never the archive
    if (!file.Open(name, FILE_READ)) return ReadResult::Missing;
    const std::uint32_t size = file.GetSize();
    if (size > kLargestFile) return ReadResult::Unreadable;
    text.assign(size + kPadding, '\0');
    const std::uint32_t got = size ? file.Read(text.data(), size) : 0;
    file.Close();
    if (got != size) {
        text.clear();
        return ReadResult::Unreadable;
    }
    return ReadResult::Read;
}
