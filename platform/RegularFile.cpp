// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

RegularFile::Result OpenChecked(const char* path, int flags, const char* mode, std::FILE** stream, std::string* why)
{
    *stream = nullptr;
    // Without blocking: opening a FIFO waits for a writer otherwise.
    const int fd = ::open(path, flags | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) {
        const int reason = errno;
        if (why) *why = std::strerror(reason);
        if (reason == ENOENT || reason == ENOTDIR) return RegularFile::Result::Missing;
        // A FIFO without a reader refuses a writer; a folder refuses writing.
        if (reason == ENXIO || reason == EISDIR) return RegularFile::Result::NotRegular;
        return RegularFile::Result::Failed;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        if (why) *why = "not a regular file";
        ::close(fd);
        return RegularFile::Result::NotRegular;
    }
    // Plain files never block; the flag goes so that reads behave as usual.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    *stream = ::fdopen(fd, mode);
    if (!*stream) {
        if (why) *why = std::strerror(errno);
        ::close(fd);
        return RegularFile::Result::Failed;
    }
    return RegularFile::Result::Opened;
}

}  // namespace

RegularFile::Result RegularFile::OpenForReading(const char* path, std::FILE** stream, std::string* why)
{
    return OpenChecked(path, O_RDONLY, "rb", stream, why);
}

RegularFile::Result RegularFile::OpenForAppending(const char* path, std::FILE** stream, std::string* why)
{
    return OpenChecked(path, O_WRONLY | O_APPEND | O_CREAT, "ab", stream, why);
}

bool RegularFile::IsRegular(const char* path)
{
    std::FILE* stream = nullptr;
    if (OpenForReading(path, &stream, nullptr) != Result::Opened) return false;
    std::fclose(stream);
    return true;
}

bool RegularFile::SizeOf(std::FILE* stream, std::uint64_t* size)
{
    struct stat info {};
    if (!stream || ::fstat(::fileno(stream), &info) != 0 || info.st_size < 0) return false;
    *size = static_cast<std::uint64_t>(info.st_size);
    return true;
}
