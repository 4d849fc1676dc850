#include "sound/CMgrSound.h"

CMgrSound SoundMgr;
