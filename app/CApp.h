// The application object: start-up and shutdown, the window, the back buffer
// every screen draws into, the application state and the frame loop.
#pragma once

#include "platform/Surface.h"

class Display;

constexpr unsigned STATE_LOGO = 0;
constexpr unsigned STATE_MENU = 1;
constexpr unsigned STATE_GAME = 3;

// Longest path the game builds, terminator included.
constexpr int kMaxPath = 260;

class CApp {
public:
    void SetDefaults();
    void FindProgramFolder();
    void ReadSettings();
    void WriteSettings();
    void UpdateRunCounters();
    void InitSubsystems();
    void Run();
    void Frame();
    void Clear(Colour colour);
    void Present();
    void CreateBackBuffer();
    void OnResize();
    void Shutdown();

    // All drawing of a frame goes into this surface.
    Surface& GetBackDC() { return backDC; }
    Display* GetWindow() { return window; }
    // The folder of the executable, where "data.000" lies; ends with "/".
    const char* GetProgramFolder() const { return programFolder; }
    // Where the game writes its files: the program folder when it is writable,
    // otherwise the user's data folder. Ends with "/".
    const char* GetWriteFolder() const { return writeFolder; }
    int GetWidth() const { return width; }
    int GetHeight() const { return height; }
    void SetState(unsigned value) { state = value; }
    unsigned GetState() const { return state; }
    void SetResizePending() { resizePending = true; }
    // A message box over the game window.
    void ShowMessage(const char* caption, const char* text);
    // Asks the frame loop to end at its next turn, as closing the window does.
    void PostQuit();

    // Test hooks: point the game at folders of a test's own.
    void SetProgramFolder(const char* folder);
    void SetWriteFolder(const char* folder);

private:
    int NumRunForWeb = 0;
    int NumRunForUpdate = 0;
    char title[100] = {};
    int width = 805;
    int height = 635;
    bool fullScreen = true;
    Display* window = nullptr;
    Surface backDC;
    float backWidth = 0;
    float backHeight = 0;
    bool resizePending = false;
    unsigned state = STATE_LOGO;
    char programFolder[kMaxPath] = {};
    char writeFolder[kMaxPath] = {};
};

extern CApp App;
