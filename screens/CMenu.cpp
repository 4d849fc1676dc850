#include "screens/CMenu.h"

CMenu Menu;

bool CMenu::border = false;
bool CMenu::borderOnly = false;
bool CMenu::showPicture = false;
