// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/QuitSignals.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t requested = 0;

extern "C" void OnQuitSignal(int) { requested = 1; }

}  // namespace

void QuitSignals::Install()
{
    struct sigaction action {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}

bool QuitSignals::TakeRequest()
{
    if (!requested) return false;
    requested = 0;
    return true;
}
