// The profile chooser scene.
#include "client/CChooseINI.h"

#include <cmath>

#include "app/SceneManager.h"
#include "client/CMain.h"
#include "data/PlayerProfile.h"
#include "data/ProfileList.h"
#include "gfx/DXG.h"
#include "gfx/Primitives.h"
#include "platform/MessageBox.h"
#include "runtime/Keyboard.h"
#include "runtime/LogFile.h"
#include "runtime/MemoryTracker.h"

namespace {
constexpr const char* kNoProfilesText =
    "ERROR: No valid player .ini files found.\n\nPlease verify that you put VelmView inside of Velmoria's\n"
    "   Directory, as it relies on some of Velmoria's data files.";
constexpr float kTwoPi = 6.2831855f;
constexpr float kMarkerStep = 24.0f;  // two lines of the list text per entry
}  // namespace

void CChooseINI::FindProfiles(std::vector<ChooserEntry>& entries) {
    for (const ProfileEntry& profile : ::FindProfiles()) {
        entries.push_back({profile.name + " (" + profile.fileName + ")", profile.fileName});
    }
}

CChooseINI::CChooseINI() {
    ListProfiles();
    m_marker.LoadColorKeyed("data\\pickINI.bmp");
    m_selection = 0;
    m_phase = 0.0f;

    m_titleText.SetSize(32);
    m_titleText.Append("  VelmView Client\n");
    m_titleText.SetSize(12);
    m_titleText.Append("                -created by the VelmView team\n");
    m_titleText.Append("                    (https://velmview.example.org)");
    m_titleText.SetPosition(210, 80);
}

void CChooseINI::ListProfiles() {
    m_entries.clear();
    m_listText.Clear();
    FindProfiles(m_entries);
    if (m_entries.empty()) {
        errorLog.Write("No valid player .ini files found.\n");
        EchoStartupFailure("No valid player .ini files found.\n");
        m_listText.SetText(kNoProfilesText);
        m_listText.SetPosition(200, 300);
    } else {
        for (const ChooserEntry& entry : m_entries) {
            m_listText.Append(entry.label);
            m_listText.Append("\n\n");
        }
        m_listText.SetPosition(310, 300);
    }
}

CChooseINI::~CChooseINI() = default;

void CChooseINI::Update(float seconds) {
    if (m_entries.empty()) return;
    m_phase += seconds * kTwoPi;
    if (WasKeyPressed(kScanUp)) --m_selection;
    if (WasKeyPressed(kScanDown)) ++m_selection;
    const auto count = static_cast<std::int32_t>(m_entries.size());
    if (m_selection < 0) m_selection = count - 1;
    if (m_selection >= count) m_selection = 0;

    if (WasKeyPressed(kScanEnter)) {
        // The file was usable when the list was made. If it has gone or changed since, logging in would
        // use another profile's name and password: the list is made again instead (the reason is in
        // _error.txt), and the player chooses again.
        if (!LoadPlayerIni(m_entries[static_cast<std::size_t>(m_selection)].fileName)) {
            ListProfiles();
            m_selection = 0;
            return;
        }
        RemoveScene();
        AddScene(track(new CMain(), "CMain()", VELM_SITE));
    }
}

void CChooseINI::Render() {
    DXG::ScopedLock lock;
    DXG::Clear(0xFF000000, true, true);
    m_listText.Draw();
    // Without "data\pickINI.bmp" the list works unmarked; drawing the blank texture would be a misuse
    // report every frame.
    if (!m_entries.empty() && !m_marker.IsBlank()) {
        const double x = 270.0 + 8.0 * std::sin(static_cast<double>(m_phase));
        const float y = 300.0f + kMarkerStep * static_cast<float>(m_selection) - 12.0f;
        DXG::DrawTexture(static_cast<float>(x), y, m_marker, 1.0f);
    }
    m_titleText.Draw();
}
