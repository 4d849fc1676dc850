// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

// The folder part of a path, "." when it has none.
std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// Syncing the folder makes the rename itself durable; a file system that
// cannot sync folders has nothing to lose by it, so that is not a failure.
void SyncFolder(const std::string& path)
{
    const int folder = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) return;
    ::fsync(folder);
    ::close(folder);
}

}  // namespace

void AtomicFile::Fail(const char* step)
{
    if (!error.empty()) return;  // the first reason is the one that counts
    error = std::string(step) + ": " + std::strerror(errno);
}

bool AtomicFile::Begin(const char* target)
{
    Discard();
    error.clear();
    path = target;
    // What stands at the path now: a folder or a device is never replaced,
    // and a file the player made read-only is not written over.
    struct stat old {};
    const bool exists = ::lstat(target, &old) == 0;
    if (exists && !S_ISREG(old.st_mode) && !S_ISLNK(old.st_mode)) {
        error = "not a regular file";
        return false;
    }
    if (exists && ::access(target, W_OK) != 0) {
        Fail("can't write");
        return false;
    }
    temporary = path + ".new";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
        Fail("can't create");
        temporary.clear();
        return false;
    }
    // The new version keeps the permissions of the old one.
    if (exists && !S_ISLNK(old.st_mode)) ::fchmod(fd, old.st_mode & 07777);
    stream = ::fdopen(fd, "wb");
    if (!stream) {
        Fail("can't create");
        ::close(fd);
        ::unlink(temporary.c_str());
        temporary.clear();
        return false;
    }
    return true;
}

void AtomicFile::Write(const void* bytes, std::size_t count)
{
    if (!stream || !error.empty() || count == 0) return;
    if (std::fwrite(bytes, 1, count, stream) != count) Fail("can't write");
}

bool AtomicFile::Commit()
{
    if (!stream) {
        if (error.empty()) error = "not open";
        return false;
    }
    if (error.empty() && std::fflush(stream) != 0) Fail("can't write");
    if (error.empty() && std::ferror(stream)) Fail("can't write");
    if (error.empty() && ::fsync(::fileno(stream)) != 0) Fail("can't sync");
    const int closed = std::fclose(stream);
    stream = nullptr;
    if (error.empty() && closed != 0) Fail("can't close");
    if (error.empty() && std::rename(temporary.c_str(), path.c_str()) != 0) Fail("can't rename");
    if (!error.empty()) {
        ::unlink(temporary.c_str());
        temporary.clear();
        return false;
    }
    temporary.clear();
    SyncFolder(path);
    return true;
}

void AtomicFile::Discard()
{
    if (stream) {
        std::fclose(stream);
        stream = nullptr;
    }
    if (!temporary.empty()) {
        ::unlink(temporary.c_str());
        temporary.clear();
    }
}
