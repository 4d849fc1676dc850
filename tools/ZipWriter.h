// SPDX-License-Identifier: GPL-3.0-or-later
// Writes a ZIP archive with minizip, one whole entry at a time. Every entry
// gets the same fixed date so that building the archive twice from the same
// sources gives the same bytes.
#pragma once

#include <string>
#include <vector>

class ZipWriter {
public:
    ZipWriter() = default;
    ~ZipWriter();
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    // Creates (or replaces) the archive file.
    bool Open(const std::string& path);
    // Adds one entry under the name, deflated.
    bool Add(const std::string& name, const std::vector<unsigned char>& bytes);
    // Writes the central directory; the archive is complete only after this.
    bool Close();

    const std::string& Error() const { return error; }

private:
    bool Fail(const std::string& message);

    void* zip = nullptr;  // minizip zipFile
    std::string error;
};
