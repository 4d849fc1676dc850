// Placeholder until the application spine lands: just enough for the other
// parts of the game to build and be tested.
#include "app/CApp.h"

#include <cstdio>

CApp App;

void CApp::SetProgramFolder(const char* folder) { std::snprintf(programFolder, sizeof programFolder, "%s", folder); }
void CApp::SetWriteFolder(const char* folder) { std::snprintf(writeFolder, sizeof writeFolder, "%s", folder); }
void CApp::Shutdown() {}
