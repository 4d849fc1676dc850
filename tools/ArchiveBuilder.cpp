// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/ArchiveBuilder.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "resources/ResourceNames.h"
#include "tools/ZipWriter.h"

std::vector<std::string> ArchiveBuilder::RequiredNames()
{
    std::vector<std::string> names = {
        res::kLogo,      res::kSiteLogo,        res::kPanelBottom,  res::kPanelTop,     res::kCalculate,
        res::kTimer,     res::kMenuBackground,  res::kMenuBackground2, res::kMenuBackgroundMore, res::kProgressBar, res::kPreviewFrame,
        res::kBorderToggle, res::kPictureToggle, res::kSoundButton, res::kSoundPieceConnection,
        res::kSoundLevelDone, res::kMusic,      res::kWindowIcon,   res::kSerifFont,    res::kSansFont,
        res::kFontLicence,
    };
    for (const char* button : res::kButtonNames) {
        names.push_back(std::string(res::kButtonFolder) + button + res::kButtonActiveSuffix);
        names.push_back(std::string(res::kButtonFolder) + button + res::kButtonNoActiveSuffix);
    }
    // Every picture of the screens drawn for the large ones too.
    const std::size_t art = names.size();
    for (std::size_t i = 0; i < art; ++i)
        if (res::IsScreenArt(names[i]))
            for (int scale : res::kArtScales) names.push_back(res::ScaledArtName(names[i], scale));
    for (int i = 0; i < res::kPictureCount; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, res::kPictureFormat, i);
        names.push_back(name);
        std::snprintf(name, sizeof name, res::kLargePictureFormat, i);
        names.push_back(name);
    }
    return names;
}

bool ArchiveBuilder::AddFile(const std::string& name, const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return false;
    Add(name, std::move(bytes));
    return true;
}

std::vector<std::string> ArchiveBuilder::Missing() const
{
    std::vector<std::string> missing;
    for (const std::string& name : RequiredNames())
        if (!entries.count(name)) missing.push_back(name);
    return missing;
}

bool ArchiveBuilder::Write(const std::string& path, std::string& error) const
{
    const std::string partial = path + ".part";
    ZipWriter zip;
    bool ok = zip.Open(partial);
    for (auto it = entries.begin(); ok && it != entries.end(); ++it) ok = zip.Add(it->first, it->second);
    ok = ok && zip.Close();
    if (!ok) {
        error = zip.Error();
        std::filesystem::remove(partial);
        return false;
    }
    std::error_code failure;
    std::filesystem::rename(partial, path, failure);
    if (failure) {
        error = "cannot move the archive into place: " + failure.message();
        return false;
    }
    return true;
}
