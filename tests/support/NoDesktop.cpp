// SPDX-License-Identifier: GPL-3.0-or-later
// Every test program runs as if there were no desktop, also where a developer
// runs it inside one (DISPLAY set, zenity installed): nothing it runs may open
// a window or a dialog and wait for a click.
// - The display variables go before anything starts, so SDL finds no display
//   and the programs the end-to-end tests start inherit none: they are given
//   their private screen by name.
// - Each test starts with message boxes sent to standard error only, and with
//   a file dialog that fails the test: a test that opens the dialog answers it
//   with FileDialog::SetStandIn (or, to try the tool itself, puts its own
//   stand-in tool on PATH and sets the stand-in to nullptr).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/FileDialog.h"
#include "platform/MessageBox.h"

namespace {

FileDialog::Answer UnaskedFileDialog(const std::string& title)
{
    ADD_FAILURE() << "The file dialog \"" << title << "\" opened, but the test gave no answer for it";
    return {FileDialog::Outcome::Cancelled, ""};
}

class NoDesktop : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override
    {
        MessageBox::SendToStandardError(true);
        FileDialog::SetStandIn(UnaskedFileDialog);
    }
};

const bool installed = [] {
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    ::testing::UnitTest::GetInstance()->listeners().Append(new NoDesktop);
    return true;
}();

}  // namespace
