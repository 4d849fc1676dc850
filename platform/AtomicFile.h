// SPDX-License-Identifier: GPL-3.0-or-later
// A file written whole or not at all: the text goes into a temporary file
// beside the real one, which is flushed and synced to the disk and then renamed
// over the real one. Until the rename the old file stays as it was; a process
// killed at any moment leaves either the old file or the new one, never a
// mixture or a file cut short.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

class AtomicFile {
public:
    AtomicFile() = default;
    ~AtomicFile() { Discard(); }
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Starts a new version of the file at `path`. Refused (false, with the
    // reason in Error()) when the path names something other than a regular
    // file, a file the player made read-only, or when no file can be created
    // beside it.
    bool Begin(const char* path);
    bool IsOpen() const { return stream != nullptr; }
    // Appends bytes; the first failure is kept and every later write is skipped.
    void Write(const void* bytes, std::size_t count);
    // Flushes, syncs, closes and renames over the real file, then syncs the
    // folder. False, with the reason, when any step or any earlier write
    // failed; the real file is then untouched and the temporary one removed.
    bool Commit();
    // Drops the new version; the real file stays as it was.
    void Discard();
    // What went wrong first, in the system's words; empty when nothing did.
    const std::string& Error() const { return error; }

private:
    void Fail(const char* step);

    std::FILE* stream = nullptr;
    std::string path;
    std::string temporary;
    std::string error;
};
