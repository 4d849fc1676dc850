#include "puzzle/CGame.h"

CGame Game;
