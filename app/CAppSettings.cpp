// SPDX-License-Identifier: GPL-3.0-or-later
// CApp's settings file "conf.pvd" and the run counters kept in it.
#include "app/CApp.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/CLog.h"
#include "platform/Display.h"
#include "puzzle/CCutPreview.h"
#include "puzzle/CGame.h"
#include "puzzle/GameOptions.h"
#include "resources/CParser.h"
#include "screens/CMenu.h"
#include "sound/CMgrSound.h"

namespace {

constexpr const char* kSettingsFile = "conf.pvd";

// The leading decimal number of a value (optional sign and digits; 0 when it
// starts with neither), held within the range of a counter.
int LeadingNumber(const char* text)
{
    const long long value = std::strtoll(text, nullptr, 10);
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

}  // namespace

// "conf.pvd": keys, each followed by its value. The two run counters, and
// the choices a player makes that outlive a run: board colour, edge style,
// the Border option and the music switch. A missing or unreadable file, a
// missing key or a value out of range leaves the default without a word.
void CApp::ReadSettings()
{
    NumRunForWeb = 0;
    NumRunForUpdate = 0;
    std::vector<char> text;
    if (CParser::ReadFile(kSettingsFile, text) != CParser::ReadResult::Read) return;
    char* const end = text.data() + (text.size() - CParser::kPadding);
    char* p = text.data();
    while (char* token = TheParser.NextToken(p, end)) {
        p = token + TheParser.GetTokenLength();
        const bool known = std::strcmp(token, "NumRunForWeb") == 0 || std::strcmp(token, "NumRunForUpdate") == 0 ||
                           std::strcmp(token, "BoardColour") == 0 || std::strcmp(token, "EdgeStyle") == 0 ||
                           std::strcmp(token, "Border") == 0 || std::strcmp(token, "Music") == 0 ||
                           std::strcmp(token, "FullScreen") == 0 || std::strcmp(token, "WindowWidth") == 0 ||
                           std::strcmp(token, "WindowHeight") == 0;
        if (!known) continue;  // any other word is skipped
        char* value = TheParser.NextToken(p, end);
        if (!value) break;
        // On after the value, however much white space stood before it.
        p = value + TheParser.GetTokenLength();
        ApplySetting(token, value);
    }
}

void CApp::ApplySetting(const char* key, const char* value)
{
    const int number = LeadingNumber(value);
    if (std::strcmp(key, "NumRunForWeb") == 0) {
        NumRunForWeb = number;
    } else if (std::strcmp(key, "NumRunForUpdate") == 0) {
        NumRunForUpdate = number;
    } else if (std::strcmp(key, "BoardColour") == 0) {
        if (number >= 0 && number < 4) {
            const int* colour = CGame::kBoardColours[number];
            Game.SetBackgroundColor(colour[0], colour[1], colour[2]);
        }
    } else if (std::strcmp(key, "EdgeStyle") == 0) {
        // Saved with two decimals: the nearest of the four styles.
        const float style = std::strtof(value, nullptr);
        for (float known : {CCutPreview::kSmoothNone, CCutPreview::kSmoothEasy, CCutPreview::kSmoothMedium,
                            CCutPreview::kSmoothHard}) {
            if (std::fabs(style - known) < 0.005f) CutPreview.SetChosenSmoothType(known);
        }
    } else if (std::strcmp(key, "Border") == 0) {
        CMenu::SetBorder(number == 1);
    } else if (std::strcmp(key, "Music") == 0) {
        SoundMgr.SetMusicOn(number != 0);
    } else if (std::strcmp(key, "FullScreen") == 0) {
        fullScreenChoice = number != 0;
    } else if (std::strcmp(key, "WindowWidth") == 0) {
        // A side beyond any screen is a damaged value: the window then opens
        // at its first size.
        windowedSize.width = WindowSize::IsPlausibleSide(number) ? number : 0;
    } else if (std::strcmp(key, "WindowHeight") == 0) {
        windowedSize.height = WindowSize::IsPlausibleSide(number) ? number : 0;
    }
}

// Written whole or not at all. A settings file that cannot be written costs
// the player nothing of the game: it is logged and the run ends normally.
void CApp::WriteSettings()
{
    CFile file;
    if (!file.Open(kSettingsFile, FILE_WRITE_TEXT)) {
        Log.Write("Couldn't save config: %s\n", file.GetError());
        return;
    }
    file.Printf("NumRunForWeb %i\n", NumRunForWeb);
    file.Printf("NumRunForUpdate %i\n", NumRunForUpdate);
    int colour = 0;
    for (int i = 0; i < 4; ++i) {
        if (std::equal(Game.backgroundColor, Game.backgroundColor + 3, CGame::kBoardColours[i])) colour = i;
    }
    file.Printf("BoardColour %i\n", colour);
    file.Printf("EdgeStyle %.2f\n", CutPreview.GetChosenSmoothType());
    file.Printf("Border %i\n", CMenu::IsBorder() ? 1 : 0);
    file.Printf("Music %i\n", SoundMgr.IsMusicOn() ? 1 : 0);
    // The window: written after the keys older versions know, which skip
    // these as words they do not know.
    if (window && window->WindowedSize().IsKnown()) windowedSize = window->WindowedSize();
    file.Printf("FullScreen %i\n", fullScreenChoice ? 1 : 0);
    if (windowedSize.IsKnown()) {
        file.Printf("WindowWidth %i\n", windowedSize.width);
        file.Printf("WindowHeight %i\n", windowedSize.height);
    }
    if (!file.Close()) Log.Write("Couldn't save config: %s\n", file.GetError());
}

// The game opens no statistics page at the end of a run: there is no
// publisher's web server for this build, and a browser starting at every exit
// would be unwelcome.
void CApp::UpdateRunCounters()
{
    // A file that claims the largest count keeps it rather than wrapping round.
    if (NumRunForUpdate < INT_MAX) NumRunForUpdate += 1;
    NumRunForWeb = 0;
}
