// SPDX-License-Identifier: GPL-3.0-or-later
// The logo screen, first of every run: two pictures on white until a key or a
// mouse button, or five seconds; then the menus' resources load in that frame
// and the menu takes over.
#pragma once

#include "resources/CImage.h"

class CLogo {
public:
    static constexpr double kShowSeconds = 5.0;

    void Init();
    void SetStartTime(float time) { logoStart = time; }
    void Update();
    // Leaves the logo for the menu now (also when the logo ends by itself).
    void End();

private:
    bool ShouldEnd() const;

    CImage logo;
    CImage siteLogo;
    float logoStart = 0;
};

extern CLogo Logo;
