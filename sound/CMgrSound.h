// Placeholder until the sound manager lands: the game runs silent.
#pragma once

class CMgrSound {
public:
    void Init() {}
    void Shutdown() {}
    void Update() {}
    int LoadSample(const char*) { return -1; }
    int PlaySample(int) { return -1; }
    int LoadMusic(const char*) { return -1; }
    void PlayMusic(int) {}
};

extern CMgrSound SoundMgr;
