// SPDX-License-Identifier: GPL-3.0-or-later
// The whole game at each drawing scale shows the art the builder drew at
// that scale, pixel for pixel, and follows the scale when it changes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/CApp.h"
#include "platform/BmpCodec.h"
#include "core/CFile.h"
#include "resources/ResourceNames.h"
#include "support/HeadlessGame.h"

namespace {

Surface ArchivePicture(const std::string& name)
{
    Surface out;
    if (!DataFile.Open(name.c_str(), FILE_READ)) {
        ADD_FAILURE() << "missing: " << name;
        return out;
    }
    std::vector<unsigned char> bytes(DataFile.GetSize());
    bytes.resize(DataFile.Read(bytes.data(), static_cast<std::uint32_t>(bytes.size())));
    DataFile.Close();
    std::string reason;
    if (!BmpCodec::Decode(bytes.data(), bytes.size(), out, &reason)) ADD_FAILURE() << name << ": " << reason;
    return out;
}

}  // namespace

TEST(ScaledArtFrameTest, ThePicturePageShowsTheArtDrawnAtTheFramesScale)
{
    HeadlessGame game;
    game.Start();
    game.TapKey('A');
    ASSERT_TRUE(game.RunUntil([] { return App.GetState() == STATE_MENU; }, 600));
    // The title over the thumbnails: background only, nothing drawn over it.
    const int left = 250, top = 0, width = 300, height = 40;
    int mouseX = 20;
    for (int scale : {1, 2, 3, 2, 1}) {
        SCOPED_TRACE(scale);
        game.Display().SetDrawingScale(scale);
        game.MoveMouse(++mouseX, 300);
        game.RunFrames(3);
        ASSERT_EQ(App.GetBackDC().Scale(), scale);
        const Surface art =
            ArchivePicture(scale == 1 ? std::string(res::kMenuBackground) : res::ScaledArtName(res::kMenuBackground, scale));
        ASSERT_EQ(art.Width(), 800 * scale);
        const Surface& frame = App.GetBackDC();
        int differing = 0;
        for (int y = top * scale; y < (top + height) * scale; ++y)
            for (int x = left * scale; x < (left + width) * scale; ++x)
                differing += frame.GetPixel(x, y) != art.GetPixel(x, y);
        EXPECT_EQ(differing, 0);
    }
}
