// The logo screen, first of every run. Placeholder until the screens land.
#pragma once

class CLogo {
public:
    void Init() {}
    void SetStartTime(float time) { logoStart = time; }
    void Update() {}

private:
    float logoStart = 0;
};

extern CLogo Logo;
