// The world renderer over a recording device: a frame's triangles in drawing order and their states, the
// window of cells, camera keys, view, picking and the culling volume.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>

#include "data/ColorTables.h"
#include "data/DataTestFiles.h"
#include "gfx/DdsWriter.h"
#include "net/VelmDataManager.h"
#include "runtime/Keyboard.h"
#include "runtime/ProcessState.h"
#include "support/HeldKeys.h"
#include "testing/DxgTesting.h"
#include "world/VelmRenderer.h"
#include "world/WorldView.h"

namespace {

// A square map of side 2 * half without floors, objects or walls, the player at (cx, cy) in the window.
void EmptyMap(int half, int cx, int cy) {
    const std::string bytes = MapFileBytes(half, half);
    CurrentMap().loadBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), "m");
    for (int y = 0; y < 2 * half; ++y)
        for (int x = 0; x < 2 * half; ++x)
            setFloor(x, y, 0xFFFF), setObject(x, y, 0), setWallLowX(x, y, 0), setWallLowY(x, y, 0);
    SetPlayerPosition(cx, cy);
    updateCamera(0.0f);
}

// Where the last drawn frame put a world point on the screen.
gfx::Vector3 ScreenOf(float x, float y, float z = 0) {
    gfx::Vector3 s;
    DXG::WorldToScreen({x, y, z}, &s.x, &s.y);
    return s;
}

// Fur entries 0, 5 and 63 and vest entries 0, 9 and 63 get distinct colours; the other entries stay 0.
constexpr std::uint32_t kFur0 = 0x102030, kFur5 = 0x405060, kFur63 = 0x708090, kVest0 = 0xA0B0C0,
                        kVest9 = 0xD0E0F0;
void LoadTestColours() {
    WriteTextFile("data/colors/colors.txt",
                  "f0 16 32 48 f5 64 80 96 f63 112 128 144 v0 160 176 192 v9 208 224 240 v63 15 31 47 End\n");
    WriteTextFile("data/colors/fur.txt", "0 f0 5 f5 63 f63 -1\n");
    WriteTextFile("data/colors/vest.txt", "0 v0 9 v9 63 v63 -1\n");
    loadColorTables();
}

// A one-level A8R8G8B8 (X8R8G8B8 without alpha) image file; the loader reads it under a .bmp name too.
template <class Argb>
void WriteImage(const std::filesystem::path& path, std::uint32_t side, Argb argb, bool alpha = true) {
    std::vector<std::uint32_t> pixels;
    for (std::uint32_t i = 0; i < side * side; ++i) pixels.push_back(argb(int(i % side), int(i / side)));
    WriteTextFile(path, gfx::DdsArgbFile(side, side, pixels, alpha));
}

struct V {
    float x, y, z, u, v;
    std::uint32_t colour;
    bool operator==(const V& o) const {
        auto near = [](float p, float q) { return std::fabs(p - q) < 1e-4f; };
        return near(x, o.x) && near(y, o.y) && near(z, o.z) && near(u, o.u) && near(v, o.v) &&
               colour == o.colour;
    }
};
using Vs = std::vector<V>;
Vs operator+(Vs a, const Vs& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

constexpr std::uint32_t kWhite = 0xFFFFFFFF, kGrey = 0xFFC8C8C8, kMarker = 0xFFFFCCCC, kHover = 0x60CCFFCC;
// A drawn piece by twice its centre and first colour; the exact geometry is held by the reference pictures.
using Piece = std::tuple<long, long, std::uint32_t>;
using Pieces = std::vector<Piece>;
Pieces Split(const Vs& world, std::size_t verticesEach) {
    Pieces out;
    EXPECT_EQ(world.size() % verticesEach, 0u);
    for (std::size_t i = 0; i + verticesEach <= world.size(); i += verticesEach) {
        float x = 0, y = 0;
        for (std::size_t k = i; k < i + verticesEach; ++k) x += world[k].x, y += world[k].y;
        out.emplace_back(std::lround(2 * x / verticesEach), std::lround(2 * y / verticesEach),
                         world[i].colour);
    }
    return out;
}
// A floor, marker, hover square or cylinder at a cell, and the walls on a cell's lower edges.
const auto At = [](long x, long y, std::uint32_t colour = kWhite) { return Piece{2 * x, 2 * y, colour}; };
const auto WallX = [](long x, long y) { return Piece{2 * x - 1, 2 * y, kWhite}; };
const auto WallY = [](long x, long y) { return Piece{2 * x, 2 * y - 1, kWhite}; };
// Tip, then the rear corners, as offsets from the cell centre.
Vs Avatar(float x, float y, std::array<float, 6> d, std::uint32_t tip, std::uint32_t rear) {
    return {{x + d[0], y + d[1], .3f, .5f, 0, tip},
            {x + d[2], y + d[3], .3f, 0, 1, rear},
            {x + d[4], y + d[5], .3f, 1, 1, rear}};
}
// A 256 x 256 font whose only visible glyph is an opaque white block filling the cell of glyph.
void WriteBlockFont(const std::filesystem::path& path, char glyph) {
    const int n = glyph - 0x20, cellX = (n % 10) * 24, cellY = (n / 10) * 24;
    WriteImage(path, 256, [&](int x, int y) {
        return x >= cellX && x < cellX + 24 && y >= cellY && y < cellY + 24 ? 0xFFFFFFFFu : 0x00FFFFFFu;
    });
}
// A line of label glyphs from the pen: 12-pixel quads 8 pixels apart, glyph cells 0.09375 of the font.
Vs Glyphs(const std::string& text, float x, float y, std::uint32_t c) {
    Vs out;
    for (unsigned char ch : text) {
        const float u = (ch - 32) % 10 * .09375f, v = (ch - 32) / 10 * .09375f, w = .09375f;
        const float l = x - .5f, t = y - .5f, r = l + 12, b = t + 12;
        out = out + Vs{{l, t, 0, u, v, c},     {r, t, 0, u + w, v, c}, {l, b, 0, u, v + w, c},
                       {l, b, 0, u, v + w, c}, {r, t, 0, u + w, v, c}, {r, b, 0, u + w, v + w, c}};
        x += 8;
    }
    return out;
}

using States =
    std::tuple<std::uint32_t, std::uint32_t, std::uint32_t, bool>;  // cull, z write, blend, texture
struct Drawn {
    Vs world, screen;
    std::vector<States> states;  // per world triangle
    std::vector<const gfx::RecordedDraw*> bufferDraws;
};

class WorldPasses : public ::testing::Test {
protected:
    void SetUp() override {
        device = DXG::InitRecordingForTests();
        ASSERT_NE(device, nullptr);
        ASSERT_TRUE(createWorldRenderers());
        ASSERT_TRUE(DXG::BeginFrame(0.0f, false, false));
        setHoverCell(-100, -100);
        EmptyMap(20, 20, 20);
    }
    void TearDown() override {
        DXG::EndFrame0();
        ResetProcessState();
    }
    Drawn Frame() {
        device->ClearRecord();
        renderWorld();
        Drawn out;
        for (const gfx::RecordedDraw& d : device->draws) {
            if (!d.fromMemory) out.bufferDraws.push_back(&d);
            for (std::uint32_t i = 0; i < d.VertexCount(); ++i) {
                if (d.fvf == gfx::kFvfScreen) {
                    const gfx::ScreenVertex s = d.Screen(i);
                    out.screen.push_back({s.x, s.y, s.z, s.u, s.v, s.colour});
                    continue;
                }
                const gfx::WorldVertex w = d.World(i);
                out.world.push_back({w.x, w.y, w.z, w.u, w.v, w.colour});
                if (i % 3 == 0)
                    out.states.emplace_back(
                        d.State(gfx::RenderState::CullMode), d.State(gfx::RenderState::ZWriteEnable),
                        d.State(gfx::RenderState::AlphaBlendEnable), d.texture != nullptr);
            }
        }
        return out;
    }
    void GiveFloorTextures(size_t count) {
        textures = std::vector<DXG::Texture>(count);
        for (DXG::Texture& t : textures) ASSERT_TRUE(t.Create(64, 64, DXG::OPAQUE));
        setFloorTextures(textures);
    }
    static void ExpectAll(const Drawn& d, States states) {
        for (const auto& s : d.states) EXPECT_EQ(s, states);
    }

    ScratchFolder folder{"world-passes"};
    WorkingDirectory cwd{folder.path()};
    gfx::RecordingDevice* device = nullptr;
    std::vector<DXG::Texture> textures;
    HeldKeys keys;
};

TEST_F(WorldPasses, FloorsAreGroupedByNumberAndCellsWithoutADrawableFloorAreLeftOut) {
    EmptyMap(3, 2, 2);  // the whole 6 x 6 map is in the window
    setFloor(1, 0, 3), setFloor(4, 0, 1), setFloor(0, 1, 3);
    setFloor(3, 3, 300);  // no such slot
    setFloor(5, 5, 5);    // no texture for 5
    GiveFloorTextures(4);
    const Drawn d = Frame();
    ASSERT_EQ(d.bufferDraws.size(), 2u);
    EXPECT_EQ(std::make_tuple(d.bufferDraws[0]->startVertex, d.bufferDraws[0]->texture,
                              d.bufferDraws[1]->startVertex, d.bufferDraws[1]->texture),
              std::make_tuple(0u, textures[1].GetDeviceTexture(), 6u, textures[3].GetDeviceTexture()));
    EXPECT_EQ(Split(d.world, 6), (Pieces{At(4, 0), At(1, 0), At(0, 1)}));
}

// Locks are made to fail: a frame that needs no rebuild still draws, one that rebuilds draws nothing.
TEST_F(WorldPasses, SteadyFramesLockNothingAndOnlyChangesInTheWindowRebuild) {
    EmptyMap(30, 20, 20);
    for (int i = 0; i < 3600; ++i) setFloor(i % 60, i / 60, 0);
    GiveFloorTextures(1);
    auto floorTriangles = [&] {
        const Drawn d = Frame();
        return d.bufferDraws.empty() ? 0u : d.bufferDraws[0]->primitiveCount;
    };
    const std::uint32_t shown = floorTriangles();  // only the window's cells that may show: not all 961
    ASSERT_TRUE(shown > 0 && shown < 1922u);
    device->lockResult = gfx::Result::Fail;
    EXPECT_FALSE(notifyCellChanged(40, 20));
    EXPECT_EQ(floorTriangles(), shown);  // steady, and the change was outside the window
    EXPECT_TRUE(notifyCellChanged(30, 20));
    EXPECT_EQ(floorTriangles(), 0u);  // the rebuild could not lock
    EXPECT_EQ(floorTriangles(), 0u);  // not retried, and the unfilled buffer is not drawn
    device->lockResult = gfx::Result::Ok;
    SetPlayerPosition(21, 20);
    updateCamera(0.0f);
    EXPECT_GT(floorTriangles(), 0u);
    // New textures rebuild the floors on the same cell; so does a turn of the camera.
    device->lockResult = gfx::Result::Fail;
    setFloorTextures(textures);
    EXPECT_EQ(floorTriangles(), 0u);
    device->lockResult = gfx::Result::Ok;
    SetCameraYaw(1.0f);
    EXPECT_GT(floorTriangles(), 0u);
}

TEST_F(WorldPasses, WallsStandOnTheLowerEdgesOfWindowCellsThatMayShowWhateverTheByte) {
    setWallLowX(16, 16, 1), setWallLowX(17, 16, 200);
    setWallLowX(18, 18, 1), setWallLowY(18, 18, 1);  // meeting at (17.5, 17.5)
    setWallLowY(19, 18, 200);
    setWallLowX(3, 20, 1);   // outside the window
    setWallLowX(28, 28, 1);  // in the window, behind the eye
    const Drawn d = Frame();
    EXPECT_EQ(Split(d.world, 6),
              (Pieces{WallX(16, 16), WallX(17, 16), WallX(18, 18), WallY(18, 18), WallY(19, 18)}));
    ExpectAll(d, {gfx::cull::None, 1, 1, false});  // the wall texture did not load
    // The list is kept while nothing changes, and built again when the map does.
    device->lockResult = gfx::Result::Fail;
    EXPECT_EQ(Frame().world, d.world);
    device->lockResult = gfx::Result::Ok;
    setWallLowX(16, 16, 0);
    EXPECT_EQ(Split(Frame().world, 6), (Pieces{WallX(17, 16), WallX(18, 18), WallY(18, 18), WallY(19, 18)}));
}

// Opaque walls go depth first (no colour, then colour where the depth stayed), before the floors; states
// under which an opaque piece would not simply replace what it covers keep one-pass walls after the floors.
TEST_F(WorldPasses, OpaqueWallsAreDrawnDepthFirstBeforeOpaqueFloors) {
    WriteImage(
        "data/walls/stone1.bmp", 8, [](int, int) { return 0xFF808080u; }, false);
    ASSERT_TRUE(createWorldRenderers());
    GiveFloorTextures(1);
    setFloor(16, 16, 0);
    setWallLowX(16, 16, 1), setWallLowY(18, 18, 1);
    using Draw = std::tuple<std::uint32_t, std::uint32_t, std::uint32_t, bool>;  // colours, z write, z test
    auto draws = [&] {
        Frame();
        std::vector<Draw> out;
        for (const gfx::RecordedDraw& d : device->draws)
            out.emplace_back(d.State(gfx::RenderState::ColorWriteEnable),
                             d.State(gfx::RenderState::ZWriteEnable), d.State(gfx::RenderState::ZFunc),
                             d.texture == textures[0].GetDeviceTexture());
        return out;
    };
    EXPECT_EQ(draws(), (std::vector<Draw>{{0u, 1u, gfx::cmp::LessEqual, false},
                                          {0xFu, 0u, gfx::cmp::Equal, false},
                                          {0xFu, 1u, gfx::cmp::Less, true}}));
    EXPECT_EQ(Split(Frame().world, 6),
              (Pieces{WallX(16, 16), WallY(18, 18), WallX(16, 16), WallY(18, 18), At(16, 16)}));
    EXPECT_EQ(std::pair(device->GetRenderState(gfx::RenderState::ZFunc),
                        device->GetRenderState(gfx::RenderState::ZWriteEnable)),
              std::pair(gfx::cmp::LessEqual, 1u));

    const std::pair<gfx::RenderState, std::uint32_t> notReplacing[] = {
        {gfx::RenderState::DestBlend, gfx::blend::One},
        {gfx::RenderState::AlphaRef, 0xFF},
        {gfx::RenderState::ZFunc, gfx::cmp::Less}};
    for (const auto& [state, value] : notReplacing) {
        const std::uint32_t usual = device->GetRenderState(state);
        device->SetRenderState(state, value);
        const std::uint32_t zFunc = device->GetRenderState(gfx::RenderState::ZFunc);
        EXPECT_EQ(draws(), (std::vector<Draw>{{0xFu, 1u, zFunc, true}, {0xFu, 1u, zFunc, false}}))
            << int(state);
        device->SetRenderState(state, usual);
    }
}

TEST_F(WorldPasses, ObjectsAreMarkedAndTheHoverCellShowsOnlyItsSquare) {
    setObject(16, 16, 1), setObject(18, 16, 900), setObject(19, 19, 5);
    setObject(3, 20, 1);   // outside the window
    setObject(28, 28, 1);  // behind the eye
    setHoverCell(19, 19);
    Drawn d = Frame();
    EXPECT_EQ(Split(d.world, 6), (Pieces{At(16, 16, kMarker), At(18, 16, kMarker), At(19, 19, kHover)}));
    ExpectAll(d, {gfx::cull::None, 1, 1, false});
    setHoverCell(16, 16);  // kept lists follow the hover cell
    EXPECT_EQ(Split(Frame().world, 6),
              (Pieces{At(16, 16, kHover), At(18, 16, kMarker), At(19, 19, kMarker)}));
    setObject(16, 16, 0), setObject(18, 16, 0), setObject(19, 19, 0);
    for (auto [hx, hy] : {std::pair{3, 20}, std::pair{-1, 20}, std::pair{20, 40}}) {
        setHoverCell(hx, hy);
        EXPECT_TRUE(Frame().world.empty()) << hx << "," << hy;
    }
}

TEST_F(WorldPasses, AvatarsPointTheirWayInListOrderWithColoursKeptInsideTheTables) {
    LoadTestColours();
    auto add = [](int x, int direction, int fur, int vest) {
        CharacterRecord r;
        r.x = x, r.y = 16, r.direction = direction;
        r.colors[0] = std::int8_t(fur), r.colors[5] = std::int8_t(vest);
        AddCharacter(r);
    };
    add(16, 0, 5, 9);
    add(16, 2, 0, 0);      // the same cell: drawn after, over the first
    add(18, -7, 5, 9);     // an unknown direction points along -x
    add(19, 0, 100, -20);  // out of the tables: their last and first entries
    add(3, 0, 5, 9);       // outside the window
    add(30, 0, 5, 9);      // in the window, off the screen
    const std::array<float, 6> minusY{0, -.2f, .2f, .2f, -.2f, .2f};
    const Drawn d = Frame();
    EXPECT_EQ(d.world,
              Avatar(16, 16, minusY, 0xFF000000 | kVest9, 0x80000000 | kFur5) +
                  Avatar(16, 16, {0, .2f, -.2f, -.2f, .2f, -.2f}, 0xFF000000 | kVest0, 0x80000000 | kFur0) +
                  Avatar(18, 16, {-.2f, 0, .2f, -.2f, .2f, .2f}, 0xFF000000 | kVest9, 0x80000000 | kFur5) +
                  Avatar(19, 16, minusY, 0xFF000000 | kVest0, 0x80000000 | kFur63));
    ExpectAll(d, {gfx::cull::None, 1, 1, false});
}

// Label bytes come from the server: codes in them, and lines wider than the screen, change nothing else.
TEST_F(WorldPasses, DreamCylindersWriteNoDepthAndServerLabelsAreCentredAboveThemCutToTheScreenUnstyled) {
    const std::string styled = std::string("ab\x01\0\0\x40\x41", 7) + std::string("\x02\xff\0\0\xff", 5) +
                               "c\x07\xe9" + std::string("\0\0\0\xff", 4) + "d";
    AddDreamMarker({17, 18, styled, std::string("x\x01\0\0", 4)});  // a code cut short by the line's end
    AddDreamMarker({15, 20, "ok", "ok"});
    AddDreamMarker({13, 14, std::string(300, 'w'), "z"});
    AddDreamMarker({28, 28, "behind", "the eye"});  // beyond the camera: no label
    AddDreamMarker({3, 20, "out", "side"});         // outside the window
    AddDreamMarker({18, 16, "", ""});               // an empty label
    WriteBlockFont("data/font12.dds", 'a');
    ASSERT_TRUE(createWorldRenderers());  // the marker pass loads its font when it is made
    const Drawn d = Frame();
    const gfx::Vector3 a = ScreenOf(17, 18, 1.5f), b = ScreenOf(15, 20, 1.5f), c = ScreenOf(13, 14, 1.5f);
    EXPECT_EQ(d.screen, Glyphs("abc", a.x - 12, a.y, kWhite) + Glyphs(" x", a.x - 12, a.y + 12, kGrey) +
                            Glyphs("ok", b.x - 8, b.y, kWhite) + Glyphs("ok", b.x - 8, b.y + 12, kGrey) +
                            Glyphs(std::string(100, 'w'), c.x - 400, c.y, kWhite) +
                            Glyphs(std::string(49, ' ') + "z", c.x - 400, c.y + 12, kGrey));
    // Cylinders wholly off the screen are left out.
    EXPECT_EQ(Split(d.world, 60), (Pieces{At(17, 18), At(15, 20), At(18, 16)}));
    ExpectAll(d, {gfx::cull::CW, 0, 1, false});  // the marker texture did not load
    const gfx::RecordedDraw& labels = device->draws.back();
    EXPECT_EQ(std::make_tuple(labels.fvf, labels.State(gfx::RenderState::CullMode),
                              labels.State(gfx::RenderState::ZWriteEnable), labels.texture != nullptr),
              std::make_tuple(gfx::kFvfScreen, gfx::cull::CCW, 0u, true));
    EXPECT_EQ(device->GetRenderState(gfx::RenderState::ZWriteEnable), 1u);
}

TEST_F(WorldPasses, WindowIsThe31CellSquareAroundThePlayerClippedToTheMap) {
    EmptyMap(20, 30, 3);
    const WorldView v = CurrentWorldView();
    EXPECT_EQ((std::vector<int>{v.x0, v.y0, v.x1, v.y1}), (std::vector<int>{15, 0, 39, 18}));
    EXPECT_FALSE(v.contains(v.x0 - 1, v.y0) || v.contains(v.x1, v.y1 + 1));
}

TEST_F(WorldPasses, KeypadTurnsTheCameraAndKeypad5Recentres) {
    KeyboardStateManager::SetSource(&keys);
    ASSERT_TRUE(KeyboardStateManager::Init(nullptr, &keys, false));
    constexpr float kPi = 3.14159265f;
    const struct {
        std::vector<uint8_t> held;
        float seconds, yaw;
    } rows[] = {{{kScanKeypad4}, 0.5f, 7 * kPi / 4},  // below 0 wraps up by a turn
                {{kScanKeypad6}, 2.0f, kPi / 4},      // above a turn wraps down
                {{kScanKeypad4, kScanKeypad5}, 0.3f, kPi / 4}};
    for (const auto& row : rows) {
        SetCameraYaw(kPi / 4);
        std::fill(std::begin(keys.down), std::end(keys.down), 0);
        for (uint8_t key : row.held) keys.down[key] = 0x80;
        KeyboardStateManager::Update();
        updateCamera(row.seconds);
        EXPECT_NEAR(CameraYaw(), row.yaw, 1e-5) << row.seconds;
    }
}

TEST_F(WorldPasses, ViewCentresThePlayerCellAndPickingNamesTheNearestCell) {
    EmptyMap(20, 3, 0);
    renderWorld();
    EXPECT_NEAR(ScreenOf(3, 0).x, 400.0f, 0.5f);
    EXPECT_NEAR(ScreenOf(3, 0).y, 300.0f, 0.5f);
    EXPECT_GT(ScreenOf(4, -1).x, 410.0f);  // left-handed: seen from (+x, +y), +x -y lies to the right
    // Cell (gx, gy) covers [gx - 0.5, gx + 0.5]^2; truncation would give (3, 0) and (0, 1) here.
    for (const auto& p : {std::array{3.7f, -0.2f, 4.f, 0.f}, std::array{-0.7f, 1.4f, -1.f, 1.f}}) {
        const gfx::Vector3 s = ScreenOf(p[0], p[1]);
        int gx = -99, gy = -99;
        ASSERT_TRUE(pickCell(int(std::lround(s.x)), int(std::lround(s.y)), gx, gy));
        EXPECT_EQ(std::pair(gx, gy), std::pair(int(p[2]), int(p[3]))) << p[0] << "," << p[1];
    }
    // A level camera never meets the floor; a view that cannot be inverted gives no ray.
    gfx::Matrix level{}, world = gfx::Matrix::Identity();
    level.m[2] = level.m[4] = level.m[9] = level.m[15] = world.m[12] = 1.0f;
    device->SetTransform(gfx::TransformType::View, level);
    device->SetTransform(gfx::TransformType::World, world);
    for (const bool degenerate : {false, true}) {
        if (degenerate) device->SetTransform(gfx::TransformType::Projection, gfx::Matrix{});
        int gx = 7, gy = 8;
        EXPECT_FALSE(pickCell(400, 300, gx, gy));
        EXPECT_EQ(std::make_pair(gx, gy), std::make_pair(7, 8)) << degenerate;
    }
    EXPECT_EQ(device->GetTransform(gfx::TransformType::World), world);
}

TEST_F(WorldPasses, FloorPassTakesTheFirst256Textures) {
    destroyWorldRenderers();
    EXPECT_FALSE(notifyCellChanged(20, 20));  // no floor pass
    ASSERT_TRUE(createWorldRenderers());
    GiveFloorTextures(300);
    EXPECT_EQ(std::pair(textures[255].GetRecord()->count, textures[256].GetRecord()->count),
              std::pair(2u, 1u));
    destroyWorldRenderers();
    EXPECT_EQ(textures[255].GetRecord()->count, 1u);  // released with the pass
}

// Behind the eye and off to the side are covered by the passes above.
TEST(WorldView, VolumeDropsOnlyBoxesWhollyOutsideOnePlane) {
    const WorldView v = MakeWorldView({40, 40, 20, 20}, 0.7853982f, 0, 0);  // looking toward -x -y
    EXPECT_TRUE(v.mayShow({19.5f, 19.5f, 0}, {20.5f, 20.5f, 1}));           // the centre cell
    EXPECT_FALSE(v.mayShow({5.5f, 5.5f, 0}, {6.5f, 6.5f, 2}));              // far ahead, above the top edge
    EXPECT_FALSE(v.mayShow({20, 20, 150}, {21, 21, 151}));  // beyond the far plane, high above
}

}  // namespace
