// The abstract scene: the manager updates and draws the top scene of its stack each frame.
#pragma once

#include <string>

class Scene {
public:
    virtual void Update(float seconds) = 0;  // seconds since the previous frame (at most 0.5)
    virtual void Render() = 0;
    virtual void OnEnter() {}       // right after being pushed
    virtual void OnLeave() {}       // before another scene covers it, and before it is removed
    virtual void OnDeviceLost() {}  // the graphics device became lost; every scene, top first
    virtual std::string GetName() { return "Unknown"; }  // keys the per-scene statistics
    virtual ~Scene() {}
};
