// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/ZipWriter.h"

#include <zip.h>

#include <climits>
#include <cstring>

namespace {

// 1 January 2024, noon: the date of every entry.
zip_fileinfo FixedFileInfo()
{
    zip_fileinfo info;
    std::memset(&info, 0, sizeof info);
    info.tmz_date.tm_year = 2024;
    info.tmz_date.tm_mon = 0;
    info.tmz_date.tm_mday = 1;
    info.tmz_date.tm_hour = 12;
    return info;
}

}  // namespace

ZipWriter::~ZipWriter()
{
    if (zip) zipClose(static_cast<zipFile>(zip), nullptr);
}

bool ZipWriter::Open(const std::string& path)
{
    if (zip) return Fail("archive already open");
    zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    if (!zip) return Fail("cannot create " + path);
    return true;
}

bool ZipWriter::Add(const std::string& name, const std::vector<unsigned char>& bytes)
{
    if (!zip) return Fail("archive not open");
    if (bytes.size() > UINT_MAX) return Fail(name + " is too large");
    zip_fileinfo info = FixedFileInfo();
    auto file = static_cast<zipFile>(zip);
    if (zipOpenNewFileInZip64(file, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                              Z_DEFAULT_COMPRESSION, 0) != ZIP_OK)
        return Fail("cannot start entry " + name);
    int written = zipWriteInFileInZip(file, bytes.data(), static_cast<unsigned>(bytes.size()));
    int closed = zipCloseFileInZip(file);
    if (written != ZIP_OK || closed != ZIP_OK) return Fail("cannot write entry " + name);
    return true;
}

bool ZipWriter::Close()
{
    if (!zip) return Fail("archive not open");
    int result = zipClose(static_cast<zipFile>(zip), nullptr);
    zip = nullptr;
    if (result != ZIP_OK) return Fail("cannot finish the archive");
    return true;
}

bool ZipWriter::Fail(const std::string& message)
{
    error = message;
    return false;
}
