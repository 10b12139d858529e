// A plain scene that keeps the window open and clears each frame: used by the end-to-end tests, which start
// the program with VELMVIEW_TEST_IDLE_SCENE=1 until the program has a first scene of its own.
#pragma once

#include "app/Scene.h"

class IdleScene : public Scene {
public:
    void Update(float seconds) override;
    void Render() override;
    std::string GetName() override { return "IdleScene"; }
};
