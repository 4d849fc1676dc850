#include "puzzle/CCutPreview.h"

CCutPreview CutPreview;
