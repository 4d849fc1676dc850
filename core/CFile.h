// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-file reads from the data archive "data.000" or the disk, and text writes.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "platform/AtomicFile.h"
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
    // is closed first. False for an unknown mode, a missing file, anything
    // that is not a plain file (a folder, a FIFO, a device: refused without
    // waiting, with a log line); paths of any length the system takes are fine.
    //
    // Reads in the write folder fall back to the program folder when the
    // write folder has no such file, so that the files of an installed copy
    // still count. The write modes build a new version of the file beside the
    // old one, which Close puts in its place: the file on the disk is always
    // either the old one or the new one, whole.
    bool Open(const char* name, int mode);
    // The size of the open file itself (0 when it cannot be told).
    std::uint32_t GetSize();
    // An archive entry that ends early or does not match its checksum is
    // damaged: logged, and the read answers 0.
    std::uint32_t Read(void* buffer, std::uint32_t count);
    // printf-style; the formatted text goes out unchanged (cut at kMaxFormatted).
    void Printf(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // A whole text of any length, line breaks as the mode writes them.
    void Print(const std::string& text);
    // Closes the file; a written one is synced and put in place. False when
    // anything written since Open failed to reach the disk: the old file is
    // then untouched, and GetError tells why.
    bool Close();
    // Why the last Open or Close failed, in the system's words.
    const char* GetError() const { return error.c_str(); }

    // Test hook: forgets the archive (closing it), as in a run without one.
    void CloseArchive();
    // Test hook: opens an archive held in memory (a copy of the bytes) under
    // `name`, as OpenArchive opens one from the disk; the fuzz program reads
    // thousands a second this way.
    bool TestHookOpenArchive(const char* name, const void* bytes, std::size_t size);

    // The two roots, each ending with "/": the program folder, where
    // "data.000" lies, and the folder the game writes into. The application
    // finds them at start-up (CApp::FindProgramFolder) and hands them here; a
    // folder that does not fit leaves the root empty.
    static void SetProgramFolder(const char* folder);
    static void SetWriteFolder(const char* folder);
    static const char* GetProgramFolder() { return programFolder; }
    static const char* GetWriteFolder() { return writeFolder; }

private:
    std::string BuildPath(const char* folder, const char* name) const;
    const char* RootFolder() const;
    bool OpenForReading(const char* name);
    bool OpenEntry(const char* name);
    std::uint32_t ReadEntry(unsigned char* bytes, std::uint32_t count);
    void WriteText(const char* text);
    void WriteBytes(const char* bytes, std::size_t count);
    std::uint32_t ReadText(unsigned char* buffer, std::uint32_t count);

    FileRoot root;
    std::FILE* diskStream = nullptr;  // a file read or appended to
    AtomicFile writer;                // a file written afresh
    bool appendFailed = false;
    std::string error;
    // The archive entry open: what it claims, and what has come out so far.
    std::uint64_t entrySize = 0;
    std::uint64_t entryRead = 0;
    unsigned long entryCrc = 0;
    unsigned long readCrc = 0;
    bool entryDamaged = false;  // already reported
    void* archive = nullptr;  // minizip unzFile
    std::string archiveName;
    std::uint64_t archiveBytes = 0;  // the archive file's length
    struct MemoryArchive;
    std::unique_ptr<MemoryArchive> memoryArchive;  // TestHookOpenArchive's bytes
    bool inArchive = false;
    bool textMode = false;
    std::string openName;  // for messages about the open file

    static inline char programFolder[kMaxPath] = {};
    static inline char writeFolder[kMaxPath] = {};
};

// Every game resource is read through this one, archive first.
extern CFile DataFile;
