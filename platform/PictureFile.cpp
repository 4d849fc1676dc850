// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PictureFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

PictureFile::Outcome PictureFile::Read(const std::string& path, std::vector<unsigned char>& bytes, long long& size,
                                       std::string& detail)
{
    bytes.clear();
    size = 0;
    // Non-blocking, so that opening a pipe nobody writes to returns at once.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        const int error = errno;
        detail = std::strerror(error);
        // A link that leads nowhere, or round in a loop, finds no file either.
        if (error == ENOENT || error == ENOTDIR || error == ELOOP) return Outcome::Missing;
        return Outcome::Unreadable;
    }
    struct stat info {};
    Outcome outcome = Outcome::Read;
    if (fstat(fd, &info) != 0) {
        detail = std::strerror(errno);
        outcome = Outcome::Unreadable;
    } else if (S_ISDIR(info.st_mode)) {
        detail = "a folder";
        outcome = Outcome::Folder;
    } else if (!S_ISREG(info.st_mode)) {
        detail = "not a regular file";
        outcome = Outcome::NotAFile;
    } else {
        size = static_cast<long long>(info.st_size);
        if (size == 0) {
            detail = "empty file";
            outcome = Outcome::Empty;
        } else if (size > kMaxBytes) {
            detail = "file too large";
            outcome = Outcome::TooLarge;
        }
    }
    if (outcome == Outcome::Read) {
        try {
            bytes.resize(static_cast<std::size_t>(size));
        } catch (const std::bad_alloc&) {
            detail = "out of memory";
            outcome = Outcome::Unreadable;
        }
    }
    // One read of the whole file; the loop only covers a read cut short.
    std::size_t done = 0;
    while (outcome == Outcome::Read && done < bytes.size()) {
        const ssize_t got = read(fd, bytes.data() + done, bytes.size() - done);
        if (got > 0) {
            done += static_cast<std::size_t>(got);
        } else if (got < 0 && errno == EINTR) {
            continue;
        } else if (got < 0) {
            detail = std::strerror(errno);
            outcome = Outcome::Unreadable;
        } else {
            break;  // the file became shorter while being read
        }
    }
    close(fd);
    if (outcome != Outcome::Read) {
        bytes.clear();
        bytes.shrink_to_fit();
        return outcome;
    }
    bytes.resize(done);
    if (bytes.empty()) {
        detail = "empty file";
        return Outcome::Empty;
    }
    return outcome;
}
