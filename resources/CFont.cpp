// Placeholder until text drawing lands: prints nothing.
#include "resources/CFont.h"

CFont SmallFont;
CFont LargeFont;

void CFont::CreateDefault() {}
void CFont::Create(float, const char*) {}
void CFont::Print(int, int, const char*, ...) {}
void CFont::PrintInRect(TextRect, unsigned, const char*, ...) {}
