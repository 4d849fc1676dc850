// The game's entry point: start-up, the frame loop, the orderly end.
#include "app/CApp.h"

int main()
{
    App.StartUp();
    App.Run();
    App.CloseDown();
    return 0;
}
