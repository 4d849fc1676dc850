// SPDX-License-Identifier: GPL-3.0-or-later
// Every test program's tests share one process: after each test the game's
// global objects that a test may leave changed go back to the state a fresh
// process starts in, so that no test depends on which ran before it.
#include <gtest/gtest.h>

#include "app/CApp.h"
#include "core/CSystem.h"
#include "puzzle/CCutPreview.h"
#include "puzzle/GameOptions.h"
#include "screens/CMenu.h"
#include "screens/CMessage.h"
#include "screens/CPictureOpening.h"
#include "sound/CMgrSound.h"

namespace {

class FreshGlobals : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo&) override
    {
        // A game that ran leaves the application shut down (a critical error
        // would then skip the shutdown) with its state and quit flag set.
        App = CApp();
        System.Serve(&App);  // the fresh value was made in a temporary, which served last
        Options = GameOptions();
        Message = CMessage();
        PictureOpening.Clear();
        CPictureOpening::DecodeAtOnce(false);
        // The player's choices kept in the settings, and the menu's line.
        CutPreview.SetChosenSmoothType(CCutPreview::kSmoothEasy);
        SoundMgr.SetMusicOn(true);
        CMenu::ShowMessage(nullptr, 0);
    }
};

const bool registered = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshGlobals);
    return true;
}();

}  // namespace
