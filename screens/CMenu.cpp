// SPDX-License-Identifier: GPL-3.0-or-later
// CMenu: loading and releasing the menus' and the panel's resources, and the
// choice of page. Each page has its file: CMenuPictures.cpp (the picture
// choice), CMenuCut.cpp (the cut choice), CMenuProgress.cpp (building the
// pieces) and CMenuPanel.cpp (the in-game panel).
#include "screens/CMenu.h"

#include <string>

#include "resources/BackBuffer.h"
#include "resources/CMgrImage.h"
#include "resources/ResourceNames.h"
#include "sound/CMgrSound.h"

CMenu Menu;

int CMenu::page = MENU_PICTURES;
CButton CMenu::borderButton;
CButton CMenu::pictureButton;
CImage CMenu::progressBar;
float CMenu::holdTime = 0;
double CMenu::buildStart = 0;
int CMenu::buildFrames = 0;

namespace {

std::string ButtonPath(const char* name, const char* suffix)
{
    return std::string(res::kButtonFolder) + name + suffix;
}

void LoadButton(CButton& button, const char* name, float x, float y, CButton::Action action)
{
    button.Load(ButtonPath(name, res::kButtonActiveSuffix).c_str(), ButtonPath(name, res::kButtonNoActiveSuffix).c_str(),
                x, y);
    button.SetAction(action);
}

}  // namespace

void CMenu::LoadResources()
{
    ImageMgr.LoadImage(panelBottom, res::kPanelBottom);
    ImageMgr.LoadImage(panelTop, res::kPanelTop);
    ImageMgr.LoadImage(timerImage, res::kTimer);
    LoadButtons();
    SetPage(MENU_PICTURES);
    LoadThumbnails();
    int music = SoundMgr.LoadMusic(res::kMusic);
    if (music >= 0) SoundMgr.PlayMusic(music);
}

void CMenu::LoadButtons()
{
    LoadButton(loadGameButton, "LoadGame", 352, 480, OnLoadGame);
    LoadButton(customButton, "Custom", 352, 512, OnCustom);
    LoadButton(exitButton, "Exit", 352, 544, OnExit);
    LoadButton(playButton, "Play", 352, 512, OnPlay);
    LoadButton(continueButton, "Continue", 352, 512, OnContinue);
    LoadButton(backButton, "Back", 352, 544, OnBack);
    LoadButton(arrowLeftButton, "ArrowLeft", 28, 412, OnSmoothLeft);
    LoadButton(arrowRightButton, "ArrowRight", 216, 412, OnSmoothRight);
    countSlider.Load(ButtonPath("Slider", res::kButtonActiveSuffix).c_str(),
                     ButtonPath("Slider", res::kButtonNoActiveSuffix).c_str());
    countSlider.SetRangeX(40, 208);
    countSlider.SetValue(4);
    LoadButton(menuButton, "Menu", 0, 0, OnMenu);
    LoadButton(borderButton, "Border", 8, 569, OnBorder);
    borderButton.LoadToggle(res::kBorderToggle);
    LoadButton(pictureButton, "Picture", 128, 569, OnPicture);
    pictureButton.LoadToggle(res::kPictureToggle);
    LoadButton(colourButtons[0], "Back1", 672, 569, OnBack1);
    LoadButton(colourButtons[1], "Back2", 700, 569, OnBack2);
    LoadButton(colourButtons[2], "Back3", 728, 569, OnBack3);
    LoadButton(colourButtons[3], "Back4", 756, 569, OnBack4);
    LoadButton(arrangeButton, "Arrange", 252, 569, OnArrange);
    LoadButton(saveButton, "Save", 56, 0, OnSave);
    LoadButton(loadButton, "Load", 112, 0, OnLoad);
}

void CMenu::Update()
{
    LetGoOtherPagesArt();
    switch (page) {
    case MENU_PICTURES: UpdatePictures(); break;
    case MENU_CUT: UpdateCut(); break;
    case MENU_CALCULATE: UpdateCalculate(); break;
    default: break;
    }
}

// Let go before the page's new art is loaded, so that the two are never held at once.
void CMenu::LetGoOtherPagesArt()
{
    if (page != MENU_PICTURES) background.Release();
    if (page != MENU_CUT && page != MENU_CALCULATE) background2.Release();
    if (page != MENU_CALCULATE) calculateImage.Release();
}

void CMenu::DrawPageArt(CImage& art, const char* name, float x, float y)
{
    if (art.surface.IsEmpty()) ImageMgr.LoadImage(art, name);
    ImageMgr.Draw(BackBuffer(), art, x, y);
}

// The three large pictures of the menu pages are not shown in play: they are
// let go when play starts and loaded again when the menu is drawn next.
void CMenu::ReleaseMenuPictures()
{
    background.Release();
    background2.Release();
    calculateImage.Release();
}

void CMenu::Release()
{
    background.Release();
    background2.Release();
    calculateImage.Release();
    panelBottom.Release();
    panelTop.Release();
    timerImage.Release();
    progressBar.Release();
    for (CButton& thumbnail : pictureButtons) thumbnail.Release();
    loadGameButton.Release();
    customButton.Release();
    exitButton.Release();
    arrowLeftButton.Release();
    arrowRightButton.Release();
    playButton.Release();
    backButton.Release();
    menuButton.Release();
    for (CButton& colour : colourButtons) colour.Release();
    arrangeButton.Release();
    saveButton.Release();
    loadButton.Release();
    borderButton.Release();
    pictureButton.Release();
    countSlider.Release();
}
