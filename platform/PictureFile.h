// SPDX-License-Identifier: GPL-3.0-or-later
// Reads a picture file the player named, whole, in one read, with care: only
// a regular file is read (a pipe, a device or a folder is refused without
// waiting on it), and a file beyond a sane size is refused before any byte of
// it is read.
#pragma once

#include <string>
#include <vector>

class PictureFile {
public:
    // No picture the game can use comes in a larger file.
    static constexpr long long kMaxBytes = 256LL << 20;

    enum class Outcome {
        Read,
        Missing,     // no such file
        Folder,      // a folder, not a file
        NotAFile,    // a pipe, a device, a socket
        Unreadable,  // no permission, or the system failed to read it
        Empty,
        TooLarge,    // more than kMaxBytes
    };

    // `size` is the file's size whenever it is known (also when too large);
    // `detail` the system's own words for the log.
    static Outcome Read(const std::string& path, std::vector<unsigned char>& bytes, long long& size,
                        std::string& detail);
};
