// SPDX-License-Identifier: GPL-3.0-or-later
// Builds the game's data archive "data.000": draws the screen art, reduces
// the puzzle pictures, synthesises the sounds, and packs them with the music
// and the fonts under the names the game loads.
//
//   pavendra_datagen --out FILE --assets DIR --serif TTF --sans TTF
//                    --font-licence FILE [--screens DIR]
//   pavendra_datagen --icons DIR --icon-name NAME
//
// --screens also writes whole screens put together from the art, for
// looking at it. --icons draws only the desktop's icons, as an icon theme's
// folders: DIR/16x16/apps/NAME.png and so on.

#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "platform/BmpWriter.h"
#include "resources/ResourceNames.h"
#include "tools/ArchiveBuilder.h"
#include "tools/ArtScale.h"
#include "tools/ArtSet.h"
#include "tools/FontBook.h"
#include "tools/IconArt.h"
#include "tools/LogoArt.h"
#include "tools/MenuArt.h"
#include "tools/PanelArt.h"
#include "tools/PictureMaker.h"
#include "tools/PngWriter.h"
#include "tools/SoundSynth.h"
#include "tools/WavWriter.h"

namespace fs = std::filesystem;

namespace {

struct Options {
    std::map<std::string, std::string> values;
    std::string Get(const std::string& key) const
    {
        auto found = values.find(key);
        return found == values.end() ? std::string() : found->second;
    }
};

bool ParseOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string key = argv[i];
        if (key.rfind("--", 0) != 0) return false;
        options.values[key.substr(2)] = argv[i + 1];
    }
    const bool icons = options.values.count("icons") != 0;
    const auto required = icons ? std::vector<std::string>{"icons", "icon-name"}
                                : std::vector<std::string>{"out", "assets", "serif", "sans", "font-licence"};
    for (const std::string& key : required)
        if (options.Get(key).empty()) return false;
    return argc % 2 == 1;
}

std::vector<unsigned char> Bmp(const Surface& surface, const std::string& name)
{
    std::vector<unsigned char> bytes = BmpWriter::Encode(surface);
    if (bytes.empty()) throw std::runtime_error("cannot encode " + name);
    return bytes;
}

// The pictures are assets/pictures/NN_subject.jpg; NN is the picture's number.
std::map<int, fs::path> PictureFiles(const fs::path& folder)
{
    std::map<int, fs::path> byNumber;
    for (const auto& entry : fs::directory_iterator(folder)) {
        std::string file = entry.path().filename().string();
        if (entry.path().extension() != ".jpg" || file.size() < 3 || file[2] != '_') continue;
        byNumber[std::stoi(file.substr(0, 2))] = entry.path();
    }
    return byNumber;
}

std::vector<Surface> MakePictures(const fs::path& folder)
{
    const std::map<int, fs::path> byNumber = PictureFiles(folder);
    std::vector<Surface> pictures(res::kPictureCount);
    for (int i = 0; i < res::kPictureCount; ++i) {
        auto found = byNumber.find(i);
        if (found == byNumber.end()) throw std::runtime_error("no picture number " + std::to_string(i) + " in " + folder.string());
        std::string error;
        if (!PictureMaker::Make(found->second.string(), PictureMaker::kLongerSide, pictures[i], error))
            throw std::runtime_error(error);
    }
    return pictures;
}

void AddPictures(ArchiveBuilder& archive, const std::vector<Surface>& pictures)
{
    for (int i = 0; i < static_cast<int>(pictures.size()); ++i) {
        char name[64];
        std::snprintf(name, sizeof name, res::kPictureFormat, i);
        archive.Add(name, Bmp(pictures[i], name));
    }
}

void BuildArt(FontBook& fonts, const std::vector<Surface>& pictures, ArtSet& art)
{
    LogoArt(fonts).Build(art);
    MenuArt(fonts, pictures).Build(art);
    PanelArt(fonts).Build(art);
}

// The art drawn afresh at `scale` pixels a unit, as BMPs under the scaled
// names; the window icon is the desktop's business and stays at its size.
void AddScaledArt(ArchiveBuilder& archive, FontBook& fonts, const std::vector<Surface>& pictures, int scale)
{
    ArtScale::Use drawnAt(scale);
    ArtSet art;
    BuildArt(fonts, pictures, art);
    for (const auto& [name, surface] : art.Pictures()) {
        if (!res::IsScreenArt(name)) continue;
        const std::string scaledName = res::ScaledArtName(name, scale);
        archive.Add(scaledName, Bmp(surface, scaledName));
    }
}

void AddFileOrFail(ArchiveBuilder& archive, const std::string& name, const std::string& path)
{
    if (!archive.AddFile(name, path)) throw std::runtime_error("cannot read " + path);
}

// Each picture as large as it is shipped (JPEG, as the assets hold it),
// for large screens; the game reduces it with a filter.
void AddLargePictures(ArchiveBuilder& archive, const fs::path& folder)
{
    const std::map<int, fs::path> byNumber = PictureFiles(folder);
    for (int i = 0; i < res::kPictureCount; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, res::kLargePictureFormat, i);
        AddFileOrFail(archive, name, byNumber.at(i).string());
    }
}

void AddSounds(ArchiveBuilder& archive)
{
    auto wav = [](const std::vector<float>& frames) {
        return WavWriter::Encode(frames, SoundSynth::kChannels, SoundSynth::kSampleRate);
    };
    archive.Add(res::kSoundButton, wav(SoundSynth::HoverClick()));
    archive.Add(res::kSoundPieceConnection, wav(SoundSynth::PieceSnap()));
    archive.Add(res::kSoundLevelDone, wav(SoundSynth::Fanfare()));
}

void WriteScreens(const ArtSet& art, const fs::path& folder)
{
    fs::create_directories(folder);
    for (const auto& [name, surface] : art.Screens()) {
        std::vector<unsigned char> bytes = Bmp(surface, name);
        std::ofstream out(folder / (name + ".bmp"), std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
}

void WriteFile(const fs::path& path, const std::vector<unsigned char>& bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

void WriteIcons(const fs::path& folder, const std::string& name)
{
    for (int size : IconArt::kDesktopSizes) {
        std::vector<unsigned char> png = PngWriter::EncodeRgba(IconArt::Desktop(size), size, size);
        if (png.empty()) throw std::runtime_error("cannot encode the " + std::to_string(size) + " pixel icon");
        std::string theme = std::to_string(size) + "x" + std::to_string(size);
        WriteFile(folder / theme / "apps" / (name + ".png"), png);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: %s --out FILE --assets DIR --serif TTF --sans TTF --font-licence FILE [--screens DIR]\n"
                     "       %s --icons DIR --icon-name NAME\n",
                     argv[0], argv[0]);
        return 2;
    }
    try {
        if (!options.Get("icons").empty()) {
            WriteIcons(options.Get("icons"), options.Get("icon-name"));
            return 0;
        }
        const fs::path assets = options.Get("assets");
        std::vector<Surface> pictures = MakePictures(assets / "pictures");
        FontBook fonts(options.Get("serif"), options.Get("sans"));
        ArtSet art;
        BuildArt(fonts, pictures, art);

        ArchiveBuilder archive;
        for (const auto& [name, surface] : art.Pictures()) archive.Add(name, Bmp(surface, name));
        for (int scale : res::kArtScales) AddScaledArt(archive, fonts, pictures, scale);
        AddPictures(archive, pictures);
        AddLargePictures(archive, assets / "pictures");
        AddSounds(archive);
        AddFileOrFail(archive, res::kMusic, (assets / "music" / "song_by_mordred.it").string());
        AddFileOrFail(archive, res::kSerifFont, options.Get("serif"));
        AddFileOrFail(archive, res::kSansFont, options.Get("sans"));
        AddFileOrFail(archive, res::kFontLicence, options.Get("font-licence"));

        std::vector<std::string> missing = archive.Missing();
        if (!missing.empty()) {
            for (const std::string& name : missing) std::fprintf(stderr, "missing from the archive: %s\n", name.c_str());
            return 1;
        }
        std::string error;
        fs::path out = options.Get("out");
        if (out.has_parent_path()) fs::create_directories(out.parent_path());
        if (!archive.Write(options.Get("out"), error)) throw std::runtime_error(error);
        if (!options.Get("screens").empty()) WriteScreens(art, options.Get("screens"));
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "pavendra_datagen: %s\n", failure.what());
        return 1;
    }
    return 0;
}
