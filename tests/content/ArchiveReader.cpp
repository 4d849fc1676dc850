// SPDX-License-Identifier: GPL-3.0-or-later
#include "ArchiveReader.h"

#include <minizip/unzip.h>

#include <cstdio>

#include "resources/ResourceNames.h"

std::string ArchiveReader::BuiltArchivePath() { return std::string(PAVENDRA_BIN_DIR) + "/data.000"; }

bool ArchiveReader::Load(const std::string& path, std::string& error)
{
    unzFile zip = unzOpen64(path.c_str());
    if (!zip) {
        error = "cannot open " + path;
        return false;
    }
    bool ok = true;
    for (int status = unzGoToFirstFile(zip); ok && status == UNZ_OK; status = unzGoToNextFile(zip)) {
        char name[512];
        unz_file_info64 info;
        ok = unzGetCurrentFileInfo64(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) == UNZ_OK &&
             unzOpenCurrentFile(zip) == UNZ_OK;
        if (!ok) break;
        Bytes bytes(static_cast<std::size_t>(info.uncompressed_size));
        int read = bytes.empty() ? 0 : unzReadCurrentFile(zip, bytes.data(), static_cast<unsigned>(bytes.size()));
        ok = unzCloseCurrentFile(zip) == UNZ_OK && read == static_cast<int>(bytes.size());
        if (ok) entries[name] = std::move(bytes);
        else error = std::string("damaged entry ") + name;
    }
    unzClose(zip);
    return ok;
}

const Bytes* ArchiveReader::Find(const std::string& name) const
{
    auto found = entries.find(name);
    return found == entries.end() ? nullptr : &found->second;
}

std::string ActiveButton(const std::string& name)
{
    return std::string(res::kButtonFolder) + name + res::kButtonActiveSuffix;
}

std::string NoActiveButton(const std::string& name)
{
    return std::string(res::kButtonFolder) + name + res::kButtonNoActiveSuffix;
}

std::string PictureName(int index)
{
    char name[64];
    std::snprintf(name, sizeof name, res::kPictureFormat, index);
    return name;
}

std::vector<std::string> NamesTheGameLoads()
{
    std::vector<std::string> names = {
        res::kLogo,          res::kSiteLogo,      res::kPanelBottom,          res::kPanelTop,
        res::kCalculate,     res::kTimer,         res::kMenuBackground,       res::kMenuBackground2, res::kMenuBackgroundMore,
        res::kProgressBar,   res::kPreviewFrame,  res::kBorderToggle,         res::kPictureToggle,
        res::kSoundButton,   res::kSoundPieceConnection, res::kSoundLevelDone, res::kMusic,
        res::kWindowIcon,    res::kSerifFont,     res::kSansFont,             res::kFontLicence,
    };
    for (const char* button : res::kButtonNames) {
        names.push_back(ActiveButton(button));
        names.push_back(NoActiveButton(button));
    }
    const std::size_t art = names.size();
    for (std::size_t i = 0; i < art; ++i)
        if (res::IsScreenArt(names[i]))
            for (int scale : res::kArtScales) names.push_back(res::ScaledArtName(names[i], scale));
    for (int i = 0; i < res::kPictureCount; ++i) {
        names.push_back(PictureName(i));
        names.push_back(res::LargePictureName(PictureName(i)));
    }
    return names;
}

namespace {

struct LoadedArchive {
    ArchiveReader reader;
    std::string error;
    LoadedArchive() { reader.Load(ArchiveReader::BuiltArchivePath(), error); }
};

const LoadedArchive& Loaded()
{
    static const LoadedArchive loaded;
    return loaded;
}

}  // namespace

const ArchiveReader& BuiltArchive() { return Loaded().reader; }

const std::string& LoadError() { return Loaded().error; }
