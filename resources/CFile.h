// Whole-file reads from the data archive "data.000" or the disk, and text writes.
#pragma once

#include <cstdint>
#include <cstdio>

#include "app/CApp.h"

// Open modes of CFile::Open.
enum FileMode : int {
    FILE_READ = 0,         // "rb": every read
    FILE_WRITE_BINARY = 1, // "wb"
    FILE_APPEND_BINARY = 2,// "ab"
    FILE_READ_TEXT = 3,    // "rt"
    FILE_WRITE_TEXT = 4,   // "wt": settings, saved game, start of the log
    FILE_APPEND_TEXT = 5,  // "at": the rest of the log
};

// Which folder a CFile resolves its names against.
enum class FileRoot {
    Program,  // the program folder: game resources (DataFile)
    Writable, // the folder the game writes into: settings, saved game, log
};

class CFile {
public:
    explicit CFile(FileRoot root = FileRoot::Writable);
    ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    bool OpenArchive(const char* name);
    bool Open(const char* name, int mode);
    std::uint32_t GetSize();
    std::uint32_t Read(void* buffer, std::uint32_t count);
    void Printf(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void Close();

    // Test hook: forgets the archive (closing it), as in a run without one.
    void CloseArchive();

private:
    FileRoot root;
    std::FILE* diskStream = nullptr;
    void* archive = nullptr;  // minizip unzFile
    char archiveName[kMaxPath] = {};
    bool inArchive = false;
};

// Every game resource is read through this one, archive first.
extern CFile DataFile;
