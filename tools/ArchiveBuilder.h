// SPDX-License-Identifier: GPL-3.0-or-later
// Gathers the files of the data archive "data.000" by name, checks that
// every name the game loads is there, and writes the archive.
#pragma once

#include <map>
#include <string>
#include <vector>

class ArchiveBuilder {
public:
    // Every file name the game loads, from the game's own list of names.
    static std::vector<std::string> RequiredNames();

    void Add(const std::string& name, std::vector<unsigned char> bytes) { entries[name] = std::move(bytes); }
    // Reads a file from the disk into the entry; false when it cannot be read.
    bool AddFile(const std::string& name, const std::string& path);
    // Names the game loads that no entry has.
    std::vector<std::string> Missing() const;
    // Writes the archive beside `path` first and then moves it into place,
    // so a failed run never leaves half an archive behind.
    bool Write(const std::string& path, std::string& error) const;

private:
    std::map<std::string, std::vector<unsigned char>> entries;
};
