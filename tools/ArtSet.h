// SPDX-License-Identifier: GPL-3.0-or-later
// The finished pictures of the game's art by archive name, and whole screens
// put together from them for looking at the art as the player will see it.
#pragma once

#include <map>
#include <string>

#include "platform/Surface.h"

class ArtSet {
public:
    void Add(const std::string& name, Surface surface) { pictures[name] = std::move(surface); }
    void AddScreen(const std::string& name, Surface surface) { screens[name] = std::move(surface); }
    const std::map<std::string, Surface>& Pictures() const { return pictures; }
    const std::map<std::string, Surface>& Screens() const { return screens; }
    // Throws std::runtime_error when the name was never added.
    const Surface& Picture(const std::string& name) const;

private:
    std::map<std::string, Surface> pictures;
    std::map<std::string, Surface> screens;
};
