// The scene manager: the stack (front = top), removed scenes kept until the update has returned, the
// per-scene statistics and their report.
#include "app/SceneManager.h"

#include <cstdint>
#include <list>
#include <vector>

#include "app/FrameRateOverlay.h"
#include "gfx/DXG.h"
#include "runtime/CallStack.h"
#include "runtime/LogFile.h"
#include "runtime/MemoryTracker.h"
#include "runtime/ProcessState.h"

namespace {

struct SceneStats {
    std::string name;
    int32_t frames = 0;
    float seconds = 0;
};

struct State {
    std::list<Scene*> stack;    // front = top; owning
    std::list<Scene*> pending;  // removed, not yet deleted, oldest first; owning
    bool justPushed = false;
    bool handlerRegistered = false;
    std::vector<SceneStats> stats;  // in order of first appearance
    bool reportWritten = false;
};

State& S() {
    static State state;
    return state;
}

void DeletePendingScenes() {
    State& s = S();
    while (!s.pending.empty()) {
        Scene* scene = s.pending.front();
        s.pending.pop_front();
        trackedDelete(scene, VELM_SITE);
    }
}

// Every scene deleted without OnLeave, statistics cleared, handler registration forgotten.
void Forget() {
    State& s = S();
    for (Scene* scene : s.stack) s.pending.push_back(scene);
    s.stack.clear();
    DeletePendingScenes();
    s = State();
}

const bool kRegistered = RegisterProcessState("scene manager", Forget, kAppState);

void HandleDeviceLost() {
    for (Scene* scene : S().stack) scene->OnDeviceLost();
    FrameRateOverlay::Release();
}

void BookFrame(float seconds) {
    State& s = S();
    if (s.reportWritten || s.stack.empty()) return;
    std::string name = s.stack.front()->GetName();
    for (SceneStats& entry : s.stats)
        if (entry.name == name) {
            entry.frames += 1;
            entry.seconds += seconds;
            return;
        }
    s.stats.push_back({name, 1, seconds});
}

}  // namespace

void AddScene(Scene* scene) {
    State& s = S();
    if (!s.handlerRegistered) {
        s.handlerRegistered = true;
        DXG::AddDeviceLostHandler(HandleDeviceLost);
    }
    if (!scene) {
        ReportMisuse("Bad.. attempt to add null pointer as a scene.\n", kAttemptMadeFrom);
        return;
    }
    if (!s.stack.empty()) s.stack.front()->OnLeave();
    s.stack.push_front(scene);
    scene->OnEnter();
    s.justPushed = true;
}

void RemoveScene() {
    State& s = S();
    if (s.stack.empty()) {
        ReportMisuse("Bad.. attempt to remove a scene when none exist.\n", kAttemptMadeFrom);
        return;
    }
    Scene* top = s.stack.front();
    top->OnLeave();
    s.pending.push_back(top);
    s.stack.pop_front();
}

void RemoveAllScenes() {
    State& s = S();
    while (!s.stack.empty()) RemoveScene();
    if (s.reportWritten) return;
    s.reportWritten = true;
    statLog.Write("average FPS for invididual scenes:\n");
    for (const SceneStats& entry : s.stats) {
        statLog.Write("  -");
        statLog.Write(entry.name);
        statLog.Write(" (over ");
        statLog.Write(int(entry.seconds));
        statLog.Write(" seconds): ");
        // The rate of an entry whose seconds sum to 0 has no whole part; it is written as 0.
        float rate = entry.seconds > 0 ? float(entry.frames) / entry.seconds : 0.0f;
        statLog.Write(rate < 2147483647.0f ? int(rate) : 0);
        statLog.Write(" frames/sec\n");
    }
    statLog.Write("\n");
}

void SceneManagerShutdown() {
    RemoveAllScenes();
    DeletePendingScenes();
    FrameRateOverlay::Release();
}

void RenderScenes() {
    State& s = S();
    if (!s.stack.empty()) s.stack.front()->Render();
    FrameRateOverlay::Render();
}

bool UpdateScenes(float seconds) {
    State& s = S();
    FrameRateOverlay::Update(seconds);
    if (s.stack.empty()) {
        DeletePendingScenes();
        return false;
    }
    if (seconds > 0.5f) seconds = 0.5f;
    if (s.justPushed) {
        s.justPushed = false;
        s.stack.front()->Update(0.0f);
    } else {
        s.stack.front()->Update(seconds);
        BookFrame(seconds);
    }
    DeletePendingScenes();
    return true;
}

std::string CurrentSceneName() {
    State& s = S();
    return s.stack.empty() ? "none" : s.stack.front()->GetName();
}

int PendingSceneCount() {
    return int(S().pending.size());
}
