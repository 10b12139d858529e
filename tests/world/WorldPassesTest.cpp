// The world passes over a recording device: a frame's exact triangles in drawing order and their states.
#include <gtest/gtest.h>

#include <cmath>

#include "WorldPassTestSupport.h"
#include "runtime/ProcessState.h"
#include "testing/DxgTesting.h"

namespace {

using namespace worldtest;

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
    EXPECT_EQ(floorTriangles(), shown);
    EXPECT_FALSE(notifyCellChanged(40, 20));
    EXPECT_EQ(floorTriangles(), shown);
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
        SCOPED_TRACE(int(state));
        const std::uint32_t usual = device->GetRenderState(state);
        device->SetRenderState(state, value);
        const std::uint32_t zFunc = device->GetRenderState(gfx::RenderState::ZFunc);
        EXPECT_EQ(draws(), (std::vector<Draw>{{0xFu, 1u, zFunc, true}, {0xFu, 1u, zFunc, false}}));
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

}  // namespace
