// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/CFile.h"

#include <unzip.h>
#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstring>
#include <filesystem>
#include <vector>

#include "core/CError.h"
#include "core/CLog.h"
#include "platform/RegularFile.h"

CFile DataFile(FileRoot::Program);

namespace {

// Text modes open in binary and translate line ends themselves, so that the
// files the game writes have CR LF line ends on every platform.
constexpr int kModeCount = 6;

// minizip: look names up ignoring letter case.
constexpr int kCaseInsensitive = 2;

unzFile Zip(void* archive) { return static_cast<unzFile>(archive); }

bool IsTextMode(int mode) { return mode >= FILE_READ_TEXT; }
bool IsReadMode(int mode) { return mode == FILE_READ || mode == FILE_READ_TEXT; }
bool IsWriteMode(int mode) { return mode == FILE_WRITE_BINARY || mode == FILE_WRITE_TEXT; }

// Deflate packs at most about 1032 bytes into one; a stored entry is as long
// as its data. A damaged archive that claims more would have every loader
// allocate gigabytes for it.
constexpr ZPOS64_T kMostDeflateRatio = 1032;
constexpr ZPOS64_T kDeflateSlack = 1024;

// No entry's packed data can be longer than the archive that holds it.
bool IsPlausibleSize(const unz_file_info64& info, std::uint64_t archiveBytes)
{
    if (info.compressed_size > archiveBytes) return false;
    if (info.compression_method == 0) return info.uncompressed_size == info.compressed_size;
    return info.uncompressed_size <= info.compressed_size * kMostDeflateRatio + kDeflateSlack;
}

}  // namespace

// An archive in memory, read through minizip's file functions.
struct CFile::MemoryArchive {
    std::vector<unsigned char> bytes;
    std::uint64_t at = 0;

    static MemoryArchive& Of(voidpf stream) { return *static_cast<MemoryArchive*>(stream); }
    static voidpf Open(voidpf opaque, const void*, int)
    {
        Of(opaque).at = 0;
        return opaque;
    }
    static uLong Read(voidpf, voidpf stream, void* buffer, uLong size)
    {
        MemoryArchive& archive = Of(stream);
        const std::uint64_t count = std::min<std::uint64_t>(size, archive.bytes.size() - archive.at);
        if (count > 0) std::memcpy(buffer, archive.bytes.data() + archive.at, count);
        archive.at += count;
        return static_cast<uLong>(count);
    }
    static uLong Write(voidpf, voidpf, const void*, uLong) { return 0; }
    static ZPOS64_T Tell(voidpf, voidpf stream) { return Of(stream).at; }
    static long Seek(voidpf, voidpf stream, ZPOS64_T offset, int origin)
    {
        MemoryArchive& archive = Of(stream);
        const std::uint64_t size = archive.bytes.size();
        const std::uint64_t base = origin == ZLIB_FILEFUNC_SEEK_CUR   ? archive.at
                                   : origin == ZLIB_FILEFUNC_SEEK_END ? size
                                                                      : 0;
        if (offset > size || base + offset > size) return -1;
        archive.at = base + offset;
        return 0;
    }
    static int Close(voidpf, voidpf) { return 0; }
    static int Error(voidpf, voidpf) { return 0; }
};

CFile::CFile(FileRoot fileRoot) : root(fileRoot) {}

CFile::~CFile()
{
    writer.Discard();  // a write never closed is never put in place
    Close();
    CloseArchive();
}

void CFile::SetProgramFolder(const char* folder) { Paths::CopyBounded(programFolder, sizeof programFolder, folder); }

void CFile::SetWriteFolder(const char* folder) { Paths::CopyBounded(writeFolder, sizeof writeFolder, folder); }

const char* CFile::RootFolder() const { return root == FileRoot::Program ? programFolder : writeFolder; }

std::string CFile::BuildPath(const char* folder, const char* name) const { return std::string(folder) + name; }

bool CFile::OpenArchive(const char* name)
{
    CloseArchive();
    archiveName = name;
    const std::string path = BuildPath(RootFolder(), name);
    // A FIFO or a folder of that name would hang or fool the ZIP reader.
    if (RegularFile::IsRegular(path.c_str())) archive = unzOpen64(path.c_str());
    std::error_code unknown;
    const std::uintmax_t bytes = std::filesystem::file_size(path, unknown);
    archiveBytes = unknown ? 0 : static_cast<std::uint64_t>(bytes);
    if (archive) {
        Log.Write("--- Opened data file %s\n", name);
    } else {
        Log.Write("--- Data file %s not found\n", name);
    }
    return archive != nullptr;
}

bool CFile::TestHookOpenArchive(const char* name, const void* bytes, std::size_t size)
{
    CloseArchive();
    archiveName = name;
    memoryArchive = std::make_unique<MemoryArchive>();
    const auto* first = static_cast<const unsigned char*>(bytes);
    if (size > 0) memoryArchive->bytes.assign(first, first + size);
    archiveBytes = size;
    zlib_filefunc64_def functions{MemoryArchive::Open,  MemoryArchive::Read,  MemoryArchive::Write,
                                  MemoryArchive::Tell,  MemoryArchive::Seek,  MemoryArchive::Close,
                                  MemoryArchive::Error, memoryArchive.get()};
    archive = unzOpen2_64(name, &functions);
    if (!archive) memoryArchive.reset();
    return archive != nullptr;
}

void CFile::CloseArchive()
{
    if (!archive) return;
    if (inArchive) Close();
    unzClose(Zip(archive));
    archive = nullptr;
    memoryArchive.reset();
}

bool CFile::Open(const char* name, int mode)
{
    if (mode < 0 || mode >= kModeCount) return false;
    Close();
    error.clear();
    openName = name;
    if (archive && mode == FILE_READ && unzLocateFile(Zip(archive), name, kCaseInsensitive) == UNZ_OK) {
        return OpenEntry(name);
    }
    inArchive = false;
    textMode = IsTextMode(mode);
    if (IsReadMode(mode)) return OpenForReading(name);
    const std::string path = BuildPath(RootFolder(), name);
    if (IsWriteMode(mode)) {
        if (writer.Begin(path.c_str())) return true;
        error = writer.Error();
        return false;
    }
    appendFailed = false;
    if (RegularFile::OpenForAppending(path.c_str(), &diskStream, &error) == RegularFile::Result::Opened) return true;
    diskStream = nullptr;
    return false;
}

bool CFile::OpenEntry(const char* name)
{
    unz_file_info64 info;
    if (unzOpenCurrentFile(Zip(archive)) != UNZ_OK ||
        unzGetCurrentFileInfo64(Zip(archive), &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) {
        Error.CriticalError("CFile: Couldn't open file %s in %s file!\n", name, archiveName.c_str());
    }
    inArchive = true;
    entrySize = info.uncompressed_size;
    entryCrc = info.crc;
    entryRead = 0;
    readCrc = crc32(0L, Z_NULL, 0);
    entryDamaged = false;
    return true;
}

// The write folder first; a file it does not have may lie in the program
// folder, where an earlier copy of the game, or one with a writable folder,
// left it.
bool CFile::OpenForReading(const char* name)
{
    const char* folders[2] = {RootFolder(), nullptr};
    if (root == FileRoot::Writable && std::strcmp(writeFolder, programFolder) != 0) {
        folders[1] = programFolder;
    }
    for (const char* folder : folders) {
        if (!folder) break;
        const std::string path = BuildPath(folder, name);
        const RegularFile::Result result = RegularFile::OpenForReading(path.c_str(), &diskStream, &error);
        if (result == RegularFile::Result::Opened) return true;
        diskStream = nullptr;
        if (result == RegularFile::Result::NotRegular) {
            Log.Write("CFile: %s is not a regular file, not read\n", path.c_str());
            return false;
        }
        if (result == RegularFile::Result::Failed) {
            Log.Write("CFile: Couldn't open %s (%s)\n", path.c_str(), error.c_str());
            return false;
        }
    }
    return false;
}

std::uint32_t CFile::GetSize()
{
    if (archive && inArchive) {
        unz_file_info64 info;
        if (unzGetCurrentFileInfo64(Zip(archive), &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK ||
            !IsPlausibleSize(info, archiveBytes)) {
            Error.CriticalError("CFile: Couldn't get size of file in %s file!\n", archiveName.c_str());
        }
        return static_cast<std::uint32_t>(std::min<ZPOS64_T>(info.uncompressed_size, UINT32_MAX));
    }
    if (!diskStream) Error.CriticalError("CFile: File should be opened before getting size!\n");
    std::uint64_t size = 0;
    if (!RegularFile::SizeOf(diskStream, &size)) return 0;
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(size, UINT32_MAX));
}

std::uint32_t CFile::Read(void* buffer, std::uint32_t count)
{
    auto* bytes = static_cast<unsigned char*>(buffer);
    if (archive && inArchive) return ReadEntry(bytes, count);
    if (!diskStream) Error.CriticalError("CFile: File should be opened before reading!\n");
    if (textMode) return ReadText(bytes, count);
    return static_cast<std::uint32_t>(std::fread(bytes, 1, count, diskStream));
}

// Inflates from the archive and checks what came out: an entry whose stream
// ends before its size, or whose bytes do not match its checksum, is damaged.
std::uint32_t CFile::ReadEntry(unsigned char* bytes, std::uint32_t count)
{
    std::uint32_t total = 0;
    bool damaged = false;
    while (total < count) {
        unsigned chunk = std::min<std::uint32_t>(count - total, INT_MAX);
        int got = unzReadCurrentFile(Zip(archive), bytes + total, chunk);
        if (got < 0) {
            damaged = true;
            break;
        }
        if (got == 0) break;
        readCrc = crc32(readCrc, bytes + total, static_cast<uInt>(got));
        total += static_cast<std::uint32_t>(got);
        entryRead += static_cast<std::uint64_t>(got);
    }
    if (total < count && entryRead < entrySize) damaged = true;  // ended early
    if (entryRead == entrySize && readCrc != entryCrc) damaged = true;
    if (damaged) {
        entryDamaged = true;
        Log.Write("CFile: File %s in %s file is damaged\n", openName.c_str(), archiveName.c_str());
        return 0;
    }
    return total;
}

std::uint32_t CFile::ReadText(unsigned char* buffer, std::uint32_t count)
{
    std::uint32_t total = 0;
    int c = 0;
    while (total < count && (c = std::fgetc(diskStream)) != EOF) {
        if (c == '\r') {
            int next = std::fgetc(diskStream);
            if (next == '\n') {
                c = '\n';
            } else if (next != EOF) {
                std::ungetc(next, diskStream);
            }
        }
        buffer[total++] = static_cast<unsigned char>(c);
    }
    return total;
}

void CFile::Printf(const char* format, ...)
{
    if (!diskStream && !writer.IsOpen()) return;
    char text[kMaxFormatted];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    WriteText(text);
}

void CFile::Print(const std::string& text)
{
    if (!diskStream && !writer.IsOpen()) return;
    WriteText(text.c_str());
}

void CFile::WriteBytes(const char* bytes, std::size_t count)
{
    if (writer.IsOpen()) {
        writer.Write(bytes, count);
    } else if (diskStream && !appendFailed && std::fwrite(bytes, 1, count, diskStream) != count) {
        appendFailed = true;
    }
}

void CFile::WriteText(const char* text)
{
    if (!textMode) {
        WriteBytes(text, std::strlen(text));
        return;
    }
    while (*text) {
        const char* lineEnd = std::strchr(text, '\n');
        if (!lineEnd) {
            WriteBytes(text, std::strlen(text));
            return;
        }
        WriteBytes(text, static_cast<std::size_t>(lineEnd - text));
        WriteBytes("\r\n", 2);
        text = lineEnd + 1;
    }
}

bool CFile::Close()
{
    if (archive && inArchive) {
        // minizip checks the checksum too, when the whole entry was read.
        if (unzCloseCurrentFile(Zip(archive)) == UNZ_CRCERROR && !entryDamaged) {
            Log.Write("CFile: File %s in %s file is damaged\n", openName.c_str(), archiveName.c_str());
        }
        inArchive = false;
        return true;
    }
    bool written = true;
    if (writer.IsOpen()) {
        written = writer.Commit();
        if (!written) error = writer.Error();
    }
    if (diskStream) {
        if (std::fclose(diskStream) != 0 || appendFailed) {
            written = false;
            error = "can't write";
        }
    }
    diskStream = nullptr;
    appendFailed = false;
    textMode = false;
    return written;
}
