// Placeholder until the application spine lands: disk reads only.
#include "resources/CFile.h"

#include <cstdarg>
#include <string>

CFile DataFile(FileRoot::Program);

CFile::CFile(FileRoot fileRoot) : root(fileRoot) {}
CFile::~CFile() { Close(); }

bool CFile::OpenArchive(const char*) { return false; }
void CFile::CloseArchive() {}

bool CFile::Open(const char* name, int mode)
{
    static const char* const kModes[] = {"rb", "wb", "ab", "rt", "wt", "at"};
    if (mode < 0 || mode > 5) return false;
    Close();
    std::string path = std::string(root == FileRoot::Program ? App.GetProgramFolder() : App.GetWriteFolder()) + name;
    diskStream = std::fopen(path.c_str(), kModes[mode]);
    return diskStream != nullptr;
}

std::uint32_t CFile::GetSize()
{
    if (!diskStream) return 0;
    long here = std::ftell(diskStream);
    std::fseek(diskStream, 0, SEEK_END);
    long size = std::ftell(diskStream);
    std::fseek(diskStream, here, SEEK_SET);
    return static_cast<std::uint32_t>(size);
}

std::uint32_t CFile::Read(void* buffer, std::uint32_t count)
{
    return diskStream ? static_cast<std::uint32_t>(std::fread(buffer, 1, count, diskStream)) : 0;
}

void CFile::Printf(const char* format, ...)
{
    if (!diskStream) return;
    va_list args;
    va_start(args, format);
    std::vfprintf(diskStream, format, args);
    va_end(args);
}

void CFile::Close()
{
    if (diskStream) std::fclose(diskStream);
    diskStream = nullptr;
}
