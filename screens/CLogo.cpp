// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/CLogo.h"

#include "core/CMgrInput.h"
#include "core/CSystem.h"
#include "core/CTimer.h"
#include "resources/BackBuffer.h"
#include "resources/CMgrImage.h"
#include "resources/ResourceNames.h"
#include "screens/CMenu.h"

CLogo Logo;

void CLogo::Init()
{
    ImageMgr.LoadImage(logo, res::kLogo);
    ImageMgr.LoadImage(siteLogo, res::kSiteLogo);
}

void CLogo::Update()
{
    // Centred on the window's outer size; the divisor lifts the logo above the middle.
    float width = static_cast<float>(System.GetWidth());
    float height = static_cast<float>(System.GetHeight());
    Surface& back = BackBuffer();
    ImageMgr.Draw(back, logo, width / 2 - logo.width / 2, height / 2 - logo.height / 1.3f);
    ImageMgr.Draw(back, siteLogo, width / 2 - siteLogo.width / 2, height - 2 * siteLogo.height);
    if (ShouldEnd()) End();
}

bool CLogo::ShouldEnd() const
{
    if (InputMgr.AnyKeyDown() || InputMgr.IsLeftButtonDown() || InputMgr.IsRightButtonDown()) return true;
    return Timer.GetTime() - logoStart > kShowSeconds;
}

void CLogo::End()
{
    // The logo drawn above stays on screen while everything loads; when that
    // is its very first frame, the fonts are started first.
    System.InitAfterFirstFrame();
    // The logo screen never comes back: its pictures (already drawn) are not kept.
    logo.Release();
    siteLogo.Release();
    Menu.LoadResources();
    System.SetState(STATE_MENU);
    // The press that ended the logo must not click anything on the menu.
    InputMgr.Reset();
}
