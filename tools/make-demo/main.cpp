// Writes the demo game directory and the dreams the stand-in file server serves: player profiles, the
// avatar colour tables, the floor palette and archive, the map, the game server's world description and
// accounts. The same inputs always give the same bytes.
//
// Usage: make-demo GAME_FOLDER DREAMS_FOLDER
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "Demo.h"

namespace {

namespace fs = std::filesystem;

bool WriteFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "make-demo: cannot write %s\n", path.string().c_str());
        return false;
    }
    return true;
}

struct Profile {
    const char* name;
    const char* password;
    const char* colors;
    const char* desc;
    const char* classDigits;  // the two digits the game reads as the character's two class numbers
};
constexpr Profile kProfiles[] = {
    {"Bramble", "thorns-and-honey", "%(((&7#*6$", "A round badger with a basket of berries.", "12"},
    {"Rowan", "meadow-rowan", "3,,,)A%+1\"", "A tall fox in a green travelling cloak.", "00"},
    {"Tamsin", "lantern-light", "?...*O&$B#", "A grey cat who reads by lantern light.", "37"}};

struct NamedColour {
    const char* name;
    int r, g, b;
};
constexpr NamedColour kColours[] = {
    {"Snow", 250, 250, 250},   {"Ash", 170, 170, 170},   {"Charcoal", 60, 60, 64}, {"Ink", 20, 20, 30},
    {"Cream", 240, 225, 190},  {"Sand", 215, 190, 140},  {"Tawny", 200, 130, 60},  {"Rust", 170, 70, 30},
    {"Chestnut", 120, 60, 30}, {"Umber", 80, 50, 30},    {"Ginger", 230, 120, 40}, {"Gold", 240, 190, 40},
    {"Lemon", 250, 240, 90},   {"Lime", 170, 220, 60},   {"Leaf", 70, 160, 50},    {"Pine", 30, 90, 50},
    {"Mint", 150, 230, 180},   {"Teal", 30, 140, 140},   {"Sky", 120, 190, 240},   {"Azure", 40, 110, 220},
    {"Navy", 20, 40, 110},     {"Indigo", 70, 40, 150},  {"Violet", 150, 80, 210}, {"Lilac", 200, 160, 230},
    {"Plum", 110, 30, 90},     {"Rose", 240, 140, 170},  {"Cherry", 210, 30, 60},  {"Crimson", 150, 10, 30},
    {"Coral", 250, 120, 100},  {"Peach", 250, 190, 150}, {"Olive", 120, 120, 40},  {"Slate", 90, 110, 130}};
constexpr int kColourCount = int(sizeof kColours / sizeof kColours[0]);
constexpr const char* kParts[] = {"badge", "bracer", "boot",    "cape",  "eye",
                                  "fur",   "hair",   "marking", "pants", "vest"};

std::string ColourPairs() {
    std::string out;  // tokens only: the reader has no comments
    for (const NamedColour& c : kColours) {
        out += std::string(c.name) + " " + std::to_string(c.r) + " " + std::to_string(c.g) + " " +
               std::to_string(c.b) + "\n";
    }
    return out + "End\n";
}

// Index i of part p names colour (i + 5 p) mod 32: every part has all 64 indices, each part its own order.
std::string PartTable(int part) {
    std::string out;
    for (int i = 0; i < 64; ++i)
        out += std::to_string(i) + " " + kColours[(i + 5 * part) % kColourCount].name + "\n";
    return out + "-1\n";
}

std::string ProfileFile(const Profile& p) {
    return std::string("V1.6\nName=") + p.name + "\nPassword=" + p.password + "\nColors=" + p.colors +
           "\nDesc=" + p.desc + "\nSpec=" + p.classDigits + "\n";
}

// A dream file: a short text header, then bytes of our own generator (dreams are compressed on the real
// service; the client stores them without looking inside).
std::string DreamFile(const std::string& id, std::size_t size, std::uint32_t seed) {
    std::string out = "VELMVIEW DEMO DREAM\nid: " + id + "\n\n";
    demo::Random random{seed};
    while (out.size() < size) out.push_back(char(random.Next() >> 24));
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make-demo GAME_FOLDER DREAMS_FOLDER\n");
        return 2;
    }
    const fs::path game = argv[1], dreams = argv[2];
    bool ok = true;
    std::string accounts = "# Accounts for velm-server game --accounts: NAME PASSWORD per line.\n";
    for (const Profile& p : kProfiles) {
        ok = WriteFile(game / (std::string(p.name) + ".ini"), ProfileFile(p)) && ok;
        accounts += std::string(p.name) + " " + p.password + "\n";
    }
    ok = WriteFile(game / "data" / "colors" / "colors.txt", ColourPairs()) && ok;
    for (int part = 0; part < 10; ++part) {
        ok =
            WriteFile(game / "data" / "colors" / (std::string(kParts[part]) + ".txt"), PartTable(part)) && ok;
    }
    ok = WriteFile(game / "patches" / "default" / "meadow.pcx", demo::MakePalettePcx()) && ok;
    ok = WriteFile(game / "patches" / "default" / "floors.spk", demo::MakeFloorArchive()) && ok;
    const demo::DemoMap map = demo::MakeMap();
    ok = WriteFile(game / "maps" / "meadowcross.map", map.mapFile) && ok;
    ok = WriteFile(game / "server" / "world.txt", map.worldFile) && ok;
    ok = WriteFile(game / "server" / "accounts.txt", accounts) && ok;
    const char* const ids[] = {"crystal-caves", "sunken-library", "star-tower", "frost-hall"};
    for (std::uint32_t i = 0; i < 4; ++i) {
        ok = WriteFile(dreams / (std::string(ids[i]) + ".dream"),
                       DreamFile(ids[i], 60000 + 20000 * i, 77 + i)) &&
             ok;
    }
    return ok ? 0 : 1;
}
