// SPDX-License-Identifier: GPL-3.0-or-later
// The name of every file the game reads from its data archive "data.000".
// The archive builder packs exactly these names, so keep every name here.
#pragma once

#include <string>

namespace res {

// Logo screen.
inline constexpr const char* kLogo = "data/logo.bmp";
inline constexpr const char* kSiteLogo = "data/sitelogo.bmp";

// Menu and in-game panel pictures.
inline constexpr const char* kPanelBottom = "data/Menu_Line_Game.bmp";
inline constexpr const char* kPanelTop = "data/Menu_Line_Game_Up.bmp";
inline constexpr const char* kCalculate = "data/Calculate.bmp";
inline constexpr const char* kTimer = "data/timer.bmp";
inline constexpr const char* kMenuBackground = "data/Menu_Background.bmp";
inline constexpr const char* kMenuBackground2 = "data/Menu_Background_2.bmp";
// The picture page's further pages (the player's pictures): the same art with
// no mounts, which the page draws round each thumbnail itself.
inline constexpr const char* kMenuBackgroundMore = "data/Menu_Background_More.bmp";
inline constexpr const char* kProgressBar = "data/Progress_Bar.bmp";
inline constexpr const char* kPreviewFrame = "data/Preview.bmp";

// Buttons: "data/" + name + "_Button_Active.bmp" and "_Button_NoActive.bmp".
inline constexpr const char* kButtonFolder = "data/";
inline constexpr const char* kButtonActiveSuffix = "_Button_Active.bmp";
inline constexpr const char* kButtonNoActiveSuffix = "_Button_NoActive.bmp";
inline constexpr const char* kButtonNames[] = {
    "LoadGame", "Custom", "Exit", "Play", "Back", "ArrowLeft", "ArrowRight", "Slider", "Menu",
    "Border", "Picture", "Back1", "Back2", "Back3", "Back4", "Arrange", "Save", "Load", "Continue",
};
inline constexpr const char* kBorderToggle = "data/Border_Button_Toggle.bmp";
inline constexpr const char* kPictureToggle = "data/Picture_Button_Toggle.bmp";

// The fifteen puzzle pictures, "data/images/image0.bmp" to "image14.bmp",
// each also as large as its source allows (2,400 to about 3,000 pixels on
// the longer side), "data/images/image0.jpg" and so on, for large screens
// and large cuts.
inline constexpr const char* kPictureFormat = "data/images/image%i.bmp";
inline constexpr const char* kLargePictureFormat = "data/images/image%i.jpg";
inline constexpr int kPictureCount = 15;
inline constexpr int kPictureLongerSide = 448;  // of the BMPs

// Sounds and music.
inline constexpr const char* kSoundButton = "Sounds/Button.wav";
inline constexpr const char* kSoundPieceConnection = "Sounds/PieceConnection.wav";
inline constexpr const char* kSoundLevelDone = "Sounds/LevelDone.wav";
inline constexpr const char* kMusic = "Sounds/music.trk";

// What the platform layer needs: the window icon and the two font faces with
// their licence.
inline constexpr const char* kWindowIcon = "data/icon.bmp";
inline constexpr const char* kSerifFont = "fonts/LiberationSerif-Bold.ttf";
inline constexpr const char* kSansFont = "fonts/LiberationSans-Bold.ttf";
inline constexpr const char* kFontLicence = "fonts/LICENSE";

// The game's art drawn for large screens: beside every picture of the screens
// (all of the above but the puzzle pictures and the window icon) lie BMPs of
// it drawn at 2 and 3 pixels a unit, "data/x.bmp" -> "data/x@2x.bmp". (The
// archive deflates them: its dither repeats every 4 pixels, which deflate
// packs tighter than PNG's filters do, and they decode several times faster.)
inline constexpr int kArtScales[] = {2, 3};
// A BMP of the screens' art at 1x: drawn at every scale.
inline bool IsScreenArt(const std::string& name)
{
    const std::string bmp = ".bmp", pictures = "data/images/";
    return name.size() > bmp.size() && name.compare(name.size() - bmp.size(), bmp.size(), bmp) == 0 &&
           name.compare(0, pictures.size(), pictures) != 0 && name != kWindowIcon &&
           name.find('@') == std::string::npos;
}
inline std::string ScaledArtName(const std::string& name, int scale)
{
    std::string::size_type dot = name.rfind('.');
    std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
    return stem + "@" + std::to_string(scale) + "x.bmp";
}

// One of the puzzle pictures' BMPs, "data/images/imageN.bmp".
inline bool IsGamePicture(const std::string& name)
{
    const std::string bmp = ".bmp", pictures = "data/images/image";
    return name.size() > pictures.size() + bmp.size() && name.compare(0, pictures.size(), pictures) == 0 &&
           name.compare(name.size() - bmp.size(), bmp.size(), bmp) == 0;
}
// "data/images/imageN.bmp" -> "data/images/imageN.jpg".
inline std::string LargePictureName(const std::string& name)
{
    return name.substr(0, name.size() - 4) + ".jpg";
}

}  // namespace res
