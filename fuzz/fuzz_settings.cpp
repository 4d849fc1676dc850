// SPDX-License-Identifier: GPL-3.0-or-later
// The settings reader over any bytes: whatever "conf.pvd" holds, reading it
// never crashes nor ends the game, and the counters and the window's keys it
// takes are written back and read again unchanged.
#include <cstdint>

#include "FuzzHarness.h"
#include "app/CApp.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzHarness::BeginInput();
    FuzzHarness::WriteFile("conf.pvd", data, size);
    FuzzHarness::Run([] {
        App.ReadSettings();
        const int web = App.GetNumRunForWeb();
        const int update = App.GetNumRunForUpdate();
        const bool fullScreen = App.GetFullScreenChoice();
        const WindowExtent window = App.GetWindowedSize();
        App.WriteSettings();
        App.ReadSettings();
        if (App.GetNumRunForWeb() != web || App.GetNumRunForUpdate() != update)
            FuzzHarness::Finding("counters changed on the way through the file");
        if (App.GetFullScreenChoice() != fullScreen ||
            (window.IsKnown() && (App.GetWindowedSize().width != window.width ||
                                  App.GetWindowedSize().height != window.height)))
            FuzzHarness::Finding("the window's keys changed on the way through the file");
    });
    return 0;
}
