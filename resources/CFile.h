// Whole-file reads from the data archive "data.000" or the disk, and text writes.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/Paths.h"

// Open modes of CFile::Open.
enum FileMode : int {
    FILE_READ = 0,         // "rb": every read
    FILE_WRITE_BINARY = 1, // "wb"
    FILE_APPEND_BINARY = 2,// "ab"
    FILE_READ_TEXT = 3,    // "rt": CR LF reads as "\n"
    FILE_WRITE_TEXT = 4,   // "wt": settings, saved game, start of the log; "\n" is stored as CR LF
    FILE_APPEND_TEXT = 5,  // "at": the rest of the log; "\n" is stored as CR LF
};

// Which folder a CFile resolves its names against.
enum class FileRoot {
    Program,  // the program folder: game resources (DataFile)
    Writable, // the folder the game writes into: settings, saved game, log
};

// Formatted text (Printf, the log, critical errors) is cut to this many
// characters, terminator included.
constexpr int kMaxFormatted = 16384;

class CFile {
public:
    explicit CFile(FileRoot root = FileRoot::Writable);
    ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // Opens the ZIP archive `name` in the program folder; every later read in
    // mode FILE_READ looks there first (letter case ignored), then on the disk.
    // A missing archive is no error. Answers whether it opened.
    bool OpenArchive(const char* name);
    // Opens a file by its name relative to the root folder. A file still open
    // is closed first. False for an unknown mode or a missing file; paths of
    // any length the system takes are fine.
    bool Open(const char* name, int mode);
    std::uint32_t GetSize();
    std::uint32_t Read(void* buffer, std::uint32_t count);
    // printf-style; the formatted text goes out unchanged (cut at kMaxFormatted).
    void Printf(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void Close();

    // Test hook: forgets the archive (closing it), as in a run without one.
    void CloseArchive();

    // The two roots, each ending with "/": the program folder, where
    // "data.000" lies, and the folder the game writes into. The application
    // finds them at start-up (CApp::FindProgramFolder) and hands them here; a
    // folder that does not fit leaves the root empty.
    static void SetProgramFolder(const char* folder);
    static void SetWriteFolder(const char* folder);
    static const char* GetProgramFolder() { return programFolder; }
    static const char* GetWriteFolder() { return writeFolder; }

private:
    std::string BuildPath(const char* name) const;
    void WriteText(const char* text);
    std::uint32_t ReadText(unsigned char* buffer, std::uint32_t count);

    FileRoot root;
    std::FILE* diskStream = nullptr;
    void* archive = nullptr;  // minizip unzFile
    std::string archiveName;
    bool inArchive = false;
    bool textMode = false;
    std::string openName;  // for messages about the open file

    static inline char programFolder[kMaxPath] = {};
    static inline char writeFolder[kMaxPath] = {};
};

// Every game resource is read through this one, archive first.
extern CFile DataFile;
