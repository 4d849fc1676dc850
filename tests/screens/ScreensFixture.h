// SPDX-License-Identifier: GPL-3.0-or-later
// The whole game in-process, brought to the menu, for the screens' tests. Its
// program folder holds the build's data archive plus a few pictures of the
// test's own: solid 40 x 20 button images and a square JPEG.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/CMgrInput.h"
#include "platform/BmpWriter.h"
#include "platform/FileDialog.h"
#include "platform/InputHub.h"
#include "puzzle/CCutPreview.h"
#include "puzzle/CGame.h"
#include "resources/ResourceNames.h"
#include "screens/CMenu.h"
#include "sound/CMgrSound.h"
#include "support/HeadlessGame.h"
#include "support/TempFolder.h"

namespace screens_test {

constexpr Colour kRed = MakeColour(255, 0, 0);
constexpr Colour kGreen = MakeColour(0, 255, 0);
constexpr Colour kBlue = MakeColour(0, 0, 255);

// Loose test pictures, beside the archive in the program folder.
inline const char* kActive40x20 = "data/TestRed.bmp";
inline const char* kNoActive40x20 = "data/TestGreen.bmp";
inline const char* kToggle40x20 = "data/TestBlue.bmp";

inline std::string SolidBmp(Colour colour, int width, int height)
{
    Surface surface(width, height);
    surface.Fill(colour);
    std::vector<unsigned char> bytes = BmpWriter::Encode(surface);
    return std::string(bytes.begin(), bytes.end());
}

inline std::string ProgramFolderWithTestPictures(const TempFolder& folder)
{
    std::filesystem::create_symlink(HeadlessGame::BuildBinFolder() + "data.000", folder / "data.000");
    folder.Write(kActive40x20, SolidBmp(kRed, 40, 20));
    folder.Write(kNoActive40x20, SolidBmp(kGreen, 40, 20));
    folder.Write(kToggle40x20, SolidBmp(kBlue, 40, 20));
    return folder.Path();
}

inline std::string CorpusJpeg(const std::string& name)
{
    return std::string(PAVENDRA_SOURCE_DIR "/fuzz/corpus/jpeg/") + name;
}

// A 20 x 20 picture: square, so its cut runs from 4 to 13 pieces a side.
inline std::string SquareJpeg() { return CorpusJpeg("full-chroma.jpg"); }

class ScreensTest : public ::testing::Test {
protected:
    ScreensTest() : game(ProgramFolderWithTestPictures(programFolder)) {}

    void SetUp() override { game.Start(); }

    void ToMenu()
    {
        game.TapKey('A');
        ASSERT_EQ(App.GetState(), STATE_MENU);
    }

    // The player picks this file in the Custom dialog.
    void ChooseInDialog(const std::string& path)
    {
        FileDialog::SetStandIn([path](const std::string&) {
            return FileDialog::Answer{FileDialog::Outcome::Chosen, path};
        });
    }

    void SetCursor(int x, int y) { InputHub::Deliver(InputEvent::MouseMove(x, y)); }

    // From the picture page: the square picture cut with its defaults, built
    // and in play.
    void StartSquarePuzzle()
    {
        ChooseInDialog(SquareJpeg());
        game.Click(352 + 10, 512 + 10);  // Custom
        ASSERT_EQ(CMenu::GetPage(), MENU_CUT);
        game.Click(352 + 10, 512 + 10);  // Play
        ASSERT_TRUE(game.RunUntil([] { return App.GetState() == STATE_GAME; }, 2000));
        ASSERT_GT(Game.GetGroups().size(), 1u);
        ASSERT_FALSE(Game.IsCompleted());
    }

    // Hover sounds queued and not yet started, i.e. asked for since the last SoundMgr.Update.
    static int QueuedHoverSounds()
    {
        int sample = SoundMgr.FindSample(res::kSoundButton);
        int count = 0;
        for (int slot = 0; slot < CMgrSound::kSlotCount; ++slot) {
            const CMgrSound::Slot& s = SoundMgr.GetSlot(slot);
            if (sample >= 0 && s.sampleIndex == sample && s.channel == 0) ++count;
        }
        return count;
    }

    TempFolder programFolder;
    HeadlessGame game;
};

}  // namespace screens_test
