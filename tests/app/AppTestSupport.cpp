#include "AppTestSupport.h"

#include <gtest/gtest.h>

#include "runtime/MemoryTracker.h"

std::vector<std::string>& SceneEvents() {
    static std::vector<std::string> events;
    return events;
}

void Note(const std::string& text) {
    if (DXG::IsReady())
        if (auto* device = dynamic_cast<gfx::RecordingDevice*>(DXG::GetDevice()))
            device->calls.push_back({text, -1});
    SceneEvents().push_back(text);
}

void ProbeScene::Update(float seconds) {
    char buf[64];
    snprintf(buf, sizeof buf, ".Update(%g)", double(seconds));
    Note(m_name + buf);
    updates.push_back(seconds);
    if (onUpdate) onUpdate(*this, seconds);
}

ProbeScene* NewProbeScene(const std::string& name) {
    return track(new ProbeScene(name), "ProbeScene", VELM_SITE);
}

void FakeLoopPlatform::Yield(bool focused) {
    focusAtYield.push_back(focused);
    now += stepPerYield;
    if (++yields > 100000) {
        ADD_FAILURE() << "the loop did not end";
        SetRunning(false);
    }
}
