// The profile chooser: the first scene. Lists the complete player profiles of the game directory, moves a
// marker with the arrow keys and, on Enter, loads the marked profile and replaces itself with CMain.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/Scene.h"
#include "gfx/CText.h"
#include "gfx/Texture.h"

struct ChooserEntry {
    std::string label;     // the profile's name, " (", the file name, ")"
    std::string fileName;  // relative to the working directory
};

class CChooseINI : public Scene {
public:
    CChooseINI();
    ~CChooseINI() override;

    void Update(float seconds) override;
    void Render() override;
    std::string GetName() override { return "CChooseINI"; }

    // The usable profiles of the working directory, in listing order; PlayerProfile afterwards holds the
    // fields of the last usable one.
    static void FindProfiles(std::vector<ChooserEntry>& entries);

    const std::vector<ChooserEntry>& Entries() const { return m_entries; }
    std::int32_t Selection() const { return m_selection; }

private:
    void ListProfiles();

    CText m_listText;  // the entries, two lines each, or the error text
    std::vector<ChooserEntry> m_entries;
    std::int32_t m_selection = 0;  // index of the marked entry
    float m_phase = 0.0f;          // seconds times 2 pi: the marker's sideways swing
    DXG::Texture m_marker;         // "data\pickINI.bmp"
    CText m_titleText;             // program name and credit
};
