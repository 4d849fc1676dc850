// SPDX-License-Identifier: GPL-3.0-or-later
// Reads every entry of the built data archive into memory, for the tests
// that look at what the archive builder made.
#pragma once

#include <map>
#include <string>
#include <vector>

using Bytes = std::vector<unsigned char>;

class ArchiveReader {
public:
    // The archive beside the built game.
    static std::string BuiltArchivePath();
    // Reads all entries; false (with `error`) when the file is not a readable ZIP.
    bool Load(const std::string& path, std::string& error);
    const std::map<std::string, Bytes>& Entries() const { return entries; }
    // Null when there is no entry of exactly that name.
    const Bytes* Find(const std::string& name) const;

private:
    std::map<std::string, Bytes> entries;
};

// Every file name the game loads, expanded from the game's own constants.
std::vector<std::string> NamesTheGameLoads();
// "data/<name>_Button_Active.bmp" and "..._NoActive.bmp".
std::string ActiveButton(const std::string& name);
std::string NoActiveButton(const std::string& name);
std::string PictureName(int index);

// The built archive, read once for the whole test program. Its Entries()
// are empty when the archive could not be read; LoadError() says why.
const ArchiveReader& BuiltArchive();
const std::string& LoadError();
