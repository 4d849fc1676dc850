// SPDX-License-Identifier: GPL-3.0-or-later
// Builds real ZIP archives for tests with minizip, and damages them on purpose.
#pragma once

#include <zip.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

class ZipBuilder {
public:
    ZipBuilder& Add(const std::string& name, const std::string& bytes, bool compress = true)
    {
        entries_.push_back({name, bytes, compress});
        return *this;
    }

    bool Write(const std::string& path) const
    {
        zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
        if (!zip) return false;
        bool ok = true;
        for (const Entry& entry : entries_) {
            zip_fileinfo info{};
            ok = ok && zipOpenNewFileInZip64(zip, entry.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                                             entry.compress ? Z_DEFLATED : 0, Z_DEFAULT_COMPRESSION, 0) == ZIP_OK;
            ok = ok && zipWriteInFileInZip(zip, entry.bytes.data(), static_cast<unsigned>(entry.bytes.size())) == ZIP_OK;
            ok = ok && zipCloseFileInZip(zip) == ZIP_OK;
        }
        return zipClose(zip, nullptr) == ZIP_OK && ok;
    }

    // Gives an entry a compression method no reader knows, in both of its
    // headers: the archive still lists it, but it cannot be opened.
    static bool SetMethod(const std::string& path, const std::string& name, std::uint16_t method)
    {
        std::string bytes = ReadAll(path);
        bool changed = false;
        for (std::size_t at = 0; at + 46 <= bytes.size(); ++at) {
            if (Matches(bytes, at, 0x04034b50, 30, 26, name)) {
                Put16(bytes, at + 8, method);
                changed = true;
            } else if (Matches(bytes, at, 0x02014b50, 46, 28, name)) {
                Put16(bytes, at + 10, method);
                changed = true;
            }
        }
        return changed && WriteAll(path, bytes);
    }

    // Makes both headers of an entry claim another uncompressed size.
    static bool SetUncompressedSize(const std::string& path, const std::string& name, std::uint32_t size)
    {
        std::string bytes = ReadAll(path);
        bool changed = false;
        for (std::size_t at = 0; at + 46 <= bytes.size(); ++at) {
            if (Matches(bytes, at, 0x04034b50, 30, 26, name)) {
                Put32(bytes, at + 22, size);
                changed = true;
            } else if (Matches(bytes, at, 0x02014b50, 46, 28, name)) {
                Put32(bytes, at + 24, size);
                changed = true;
            }
        }
        return changed && WriteAll(path, bytes);
    }

    // Flips the first byte of a stored (uncompressed) entry's data: it still
    // opens and reads, but its checksum no longer holds.
    static bool SpoilStoredData(const std::string& path, const std::string& name)
    {
        std::string bytes = ReadAll(path);
        for (std::size_t at = 0; at + 30 <= bytes.size(); ++at) {
            if (Matches(bytes, at, 0x04034b50, 30, 26, name)) {
                std::size_t data = at + 30 + Get16(bytes, at + 26) + Get16(bytes, at + 28);
                if (data >= bytes.size()) return false;
                bytes[data] = static_cast<char>(bytes[data] ^ 0x5A);
                return WriteAll(path, bytes);
            }
        }
        return false;
    }

private:
    struct Entry {
        std::string name;
        std::string bytes;
        bool compress;
    };

    static std::uint32_t Get32(const std::string& b, std::size_t at)
    {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8 |
                                          static_cast<unsigned char>(b[at + 2]) << 16 |
                                          static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24);
    }
    static std::uint16_t Get16(const std::string& b, std::size_t at)
    {
        return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8);
    }
    static void Put32(std::string& b, std::size_t at, std::uint32_t value)
    {
        for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    static void Put16(std::string& b, std::size_t at, std::uint16_t value)
    {
        b[at] = static_cast<char>(value & 0xFF);
        b[at + 1] = static_cast<char>(value >> 8);
    }
    // A header with this signature at `at` whose name (length at nameLengthAt,
    // text after headerSize bytes) is `name`.
    static bool Matches(const std::string& b, std::size_t at, std::uint32_t signature, std::size_t headerSize,
                        std::size_t nameLengthAt, const std::string& name)
    {
        if (at + headerSize > b.size() || Get32(b, at) != signature) return false;
        std::size_t length = Get16(b, at + nameLengthAt);
        return length == name.size() && at + headerSize + length <= b.size() &&
               b.compare(at + headerSize, length, name) == 0;
    }
    static std::string ReadAll(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    static bool WriteAll(const std::string& path, const std::string& bytes)
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << bytes;
        return static_cast<bool>(out);
    }

    std::vector<Entry> entries_;
};
