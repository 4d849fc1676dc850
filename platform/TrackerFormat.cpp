// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/TrackerFormat.h"

#include <cctype>
#include <cstring>

namespace {

bool HasTextAt(const unsigned char* bytes, std::size_t length, std::size_t offset, const char* text)
{
    std::size_t size = std::strlen(text);
    return offset + size <= length && std::memcmp(bytes + offset, text, size) == 0;
}

// A MOD file has no magic at its start; the four bytes after its 31 sample
// headers and the order list name the number of channels, written in one of
// the ways trackers of the time used.
bool IsModSignature(const unsigned char* tag)
{
    static const char* const kFixed[] = {"M.K.", "M!K!", "M&K!", "N.T.", "FLT4", "FLT8", "CD81", "OKTA", "OCTA"};
    for (const char* fixed : kFixed)
        if (std::memcmp(tag, fixed, 4) == 0) return true;
    auto digit = [](unsigned char c) { return std::isdigit(c) != 0; };
    if (digit(tag[0]) && std::memcmp(tag + 1, "CHN", 3) == 0) return tag[0] != '0';        // "6CHN"
    if (digit(tag[0]) && digit(tag[1]) && tag[2] == 'C' && (tag[3] == 'H' || tag[3] == 'N'))
        return tag[0] != '0';                                                               // "16CH", "10CN"
    if (std::memcmp(tag, "TDZ", 3) == 0) return digit(tag[3]) && tag[3] != '0';            // "TDZ4"
    return false;
}

} // namespace

TrackerFormat DetectTrackerFormat(const void* data, std::size_t length)
{
    if (!data) return TrackerFormat::Unknown;
    const auto* bytes = static_cast<const unsigned char*>(data);
    if (HasTextAt(bytes, length, 0, "Extended Module: ")) return TrackerFormat::XM;
    if (HasTextAt(bytes, length, 0, "IMPM")) return TrackerFormat::IT;
    if (HasTextAt(bytes, length, 44, "SCRM")) return TrackerFormat::S3M;
    constexpr std::size_t kModSignatureOffset = 1080;
    if (length >= kModSignatureOffset + 4 && IsModSignature(bytes + kModSignatureOffset)) return TrackerFormat::MOD;
    return TrackerFormat::Unknown;
}
