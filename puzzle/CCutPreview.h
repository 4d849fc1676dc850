// The chosen picture and its cut. Placeholder until the puzzle lands.
#pragma once

class CCutPreview {
public:
    void Release() {}
};

extern CCutPreview CutPreview;
