// SPDX-License-Identifier: GPL-3.0-or-later
// A folder of the test's own under the system's temporary folder, removed
// with everything in it when the test is done.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder, ending with "/".
    const std::string& Path() const { return path; }
    // Writes a file under the folder (sub-folders are made) and answers its full path.
    std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const;

private:
    std::string path;
};

std::vector<std::uint8_t> ReadWholeFile(const std::string& path);
// Runs ImageMagick's convert with the arguments; false when it fails or is missing.
bool RunConvert(const std::string& arguments);
