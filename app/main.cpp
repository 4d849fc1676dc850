// SPDX-License-Identifier: GPL-3.0-or-later
// The game's entry point: the command line, then start-up, the frame loop
// and the orderly end.
#include "app/CApp.h"
#include "app/CommandLine.h"
#include "platform/Memory.h"
#include "screens/CPictureOpening.h"

int main(int argc, char** argv)
{
    Memory::KeepLargeBlocksApart();
    const CommandLine line = CommandLine::Parse(argc, argv);
    int exitCode = 0;
    if (!line.Answer(exitCode)) return exitCode;
    App.StartWindowed(line.IsWindowed());
    App.OpenPictureAtStart(line.GetPicture());
    App.StartUp();
    App.Run();
    App.CloseDown();
    // Everything the game writes is written; a decoder that cannot be
    // stopped is not waited for.
    CPictureOpening::EndProcessIfStillDecoding(0);
    return 0;
}
