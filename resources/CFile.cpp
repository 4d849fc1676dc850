#include "resources/CFile.h"

#include <unzip.h>

#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstring>

#include "app/CError.h"
#include "app/CLog.h"

CFile DataFile(FileRoot::Program);

namespace {

// Text modes open in binary and translate line ends themselves, so that the
// files the game writes have CR LF line ends on every platform.
constexpr const char* kStreamModes[] = {"rb", "wb", "ab", "rb", "wb", "ab"};
constexpr int kModeCount = 6;

// minizip: look names up ignoring letter case.
constexpr int kCaseInsensitive = 2;

unzFile Zip(void* archive) { return static_cast<unzFile>(archive); }

bool IsTextMode(int mode) { return mode >= FILE_READ_TEXT; }

// Deflate packs at most about 1032 bytes into one; a stored entry is as long
// as its data. A damaged archive that claims more would have every loader
// allocate gigabytes for it.
constexpr ZPOS64_T kMostDeflateRatio = 1032;
constexpr ZPOS64_T kDeflateSlack = 1024;

bool IsPlausibleSize(const unz_file_info64& info)
{
    if (info.compression_method == 0) return info.uncompressed_size == info.compressed_size;
    return info.uncompressed_size <= info.compressed_size * kMostDeflateRatio + kDeflateSlack;
}

}  // namespace

CFile::CFile(FileRoot fileRoot) : root(fileRoot) {}

CFile::~CFile()
{
    Close();
    CloseArchive();
}

void CFile::SetProgramFolder(const char* folder) { Paths::CopyBounded(programFolder, sizeof programFolder, folder); }

void CFile::SetWriteFolder(const char* folder) { Paths::CopyBounded(writeFolder, sizeof writeFolder, folder); }

std::string CFile::BuildPath(const char* name) const
{
    const char* folder = root == FileRoot::Program ? programFolder : writeFolder;
    return std::string(folder) + name;
}

bool CFile::OpenArchive(const char* name)
{
    CloseArchive();
    archiveName = name;
    archive = unzOpen64(BuildPath(name).c_str());
    if (archive) {
        Log.Write("--- Opened data file %s\n", name);
    } else {
        Log.Write("--- Data file %s not found\n", name);
    }
    return archive != nullptr;
}

void CFile::CloseArchive()
{
    if (!archive) return;
    if (inArchive) Close();
    unzClose(Zip(archive));
    archive = nullptr;
}

bool CFile::Open(const char* name, int mode)
{
    if (mode < 0 || mode >= kModeCount) return false;
    Close();
    openName = name;
    if (archive && mode == FILE_READ && unzLocateFile(Zip(archive), name, kCaseInsensitive) == UNZ_OK) {
        if (unzOpenCurrentFile(Zip(archive)) != UNZ_OK) {
            Error.CriticalError("CFile: Couldn't open file %s in %s file!\n", name, archiveName.c_str());
        }
        inArchive = true;
        return true;
    }
    inArchive = false;
    textMode = IsTextMode(mode);
    diskStream = std::fopen(BuildPath(name).c_str(), kStreamModes[mode]);
    return diskStream != nullptr;
}

std::uint32_t CFile::GetSize()
{
    if (archive && inArchive) {
        unz_file_info64 info;
        if (unzGetCurrentFileInfo64(Zip(archive), &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK ||
            !IsPlausibleSize(info)) {
            Error.CriticalError("CFile: Couldn't get size of file in %s file!\n", archiveName.c_str());
        }
        return static_cast<std::uint32_t>(std::min<ZPOS64_T>(info.uncompressed_size, UINT32_MAX));
    }
    if (!diskStream) Error.CriticalError("CFile: File should be opened before getting size!\n");
    long here = std::ftell(diskStream);
    std::fseek(diskStream, 0, SEEK_END);
    long size = std::ftell(diskStream);
    std::fseek(diskStream, here, SEEK_SET);
    return size < 0 ? 0 : static_cast<std::uint32_t>(std::min<unsigned long>(size, UINT32_MAX));
}

std::uint32_t CFile::Read(void* buffer, std::uint32_t count)
{
    auto* bytes = static_cast<unsigned char*>(buffer);
    if (archive && inArchive) {
        std::uint32_t total = 0;
        while (total < count) {
            unsigned chunk = std::min<std::uint32_t>(count - total, INT_MAX);
            int got = unzReadCurrentFile(Zip(archive), bytes + total, chunk);
            if (got < 0) {
                Log.Write("CFile: Couldn't read file %s in %s file!\n", openName.c_str(), archiveName.c_str());
                break;
            }
            if (got == 0) break;
            total += static_cast<std::uint32_t>(got);
        }
        return total;
    }
    if (!diskStream) Error.CriticalError("CFile: File should be opened before reading!\n");
    if (textMode) return ReadText(bytes, count);
    return static_cast<std::uint32_t>(std::fread(bytes, 1, count, diskStream));
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
    if (!diskStream) return;
    char text[kMaxFormatted];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    WriteText(text);
}

void CFile::WriteText(const char* text)
{
    if (!textMode) {
        std::fputs(text, diskStream);
        return;
    }
    while (*text) {
        const char* lineEnd = std::strchr(text, '\n');
        if (!lineEnd) {
            std::fputs(text, diskStream);
            return;
        }
        std::fwrite(text, 1, static_cast<std::size_t>(lineEnd - text), diskStream);
        std::fputs("\r\n", diskStream);
        text = lineEnd + 1;
    }
}

void CFile::Close()
{
    if (archive && inArchive) {
        // The entry's checksum is checked when it is closed.
        if (unzCloseCurrentFile(Zip(archive)) == UNZ_CRCERROR) {
            Log.Write("CFile: File %s in %s file is damaged\n", openName.c_str(), archiveName.c_str());
        }
        inArchive = false;
        return;
    }
    if (diskStream) std::fclose(diskStream);
    diskStream = nullptr;
    textMode = false;
}
