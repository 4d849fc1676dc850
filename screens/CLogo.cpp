#include "screens/CLogo.h"

CLogo Logo;
