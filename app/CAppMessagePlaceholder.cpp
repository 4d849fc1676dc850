// Placeholder until the application spine lands: the message box goes to the
// error stream and the quit request is dropped.
#include <cstdio>

#include "app/CApp.h"

void CApp::ShowMessage(const char* caption, const char* text) { std::fprintf(stderr, "%s: %s\n", caption, text); }
void CApp::PostQuit() {}
