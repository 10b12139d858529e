// The five world passes over a recording device: the exact triangles of a frame in the order they are
// drawn, with the states each piece is drawn with, whatever the number of draw calls carrying them.
#include <gtest/gtest.h>

#include <cmath>

#include "WorldPassTestSupport.h"
#include "runtime/ProcessState.h"
#include "testing/DxgTesting.h"

namespace {

using worldtest::EmptyMap;

struct V {
    float x, y, z, u, v;
    std::uint32_t colour;
};
bool operator==(const V& a, const V& b) {
    auto near = [](float p, float q) { return std::fabs(p - q) < 1e-4f; };
    return near(a.x, b.x) && near(a.y, b.y) && near(a.z, b.z) && near(a.u, b.u) && near(a.v, b.v) &&
           a.colour == b.colour;
}
std::ostream& operator<<(std::ostream& out, const V& v) {
    return out << "(" << v.x << "," << v.y << "," << v.z << " uv " << v.u << "," << v.v << " " << std::hex
               << v.colour << std::dec << ")";
}
using Vs = std::vector<V>;
Vs operator+(Vs a, const Vs& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The triangles of one frame, in drawing order, with what they were drawn with.
struct Drawn {
    Vs world, screen;                              // vertices of world (0x152) and screen (0x144) triangles
    std::vector<const gfx::RecordedDraw*> pieces;  // the draw of each world triangle
    std::vector<const gfx::RecordedDraw*> bufferDraws;
};

Drawn Collect(const gfx::RecordingDevice& device) {
    Drawn out;
    for (const gfx::RecordedDraw& d : device.draws) {
        EXPECT_EQ(d.type, gfx::PrimitiveType::TriangleList);
        if (!d.fromMemory) out.bufferDraws.push_back(&d);
        for (std::uint32_t i = 0; i < d.VertexCount(); ++i) {
            if (d.fvf == gfx::kFvfWorld) {
                const gfx::WorldVertex w = d.World(i);
                out.world.push_back({w.x, w.y, w.z, w.u, w.v, w.colour});
                if (i % 3 == 0) out.pieces.push_back(&d);
            } else {
                const gfx::ScreenVertex s = d.Screen(i);
                out.screen.push_back({s.x, s.y, s.z, s.u, s.v, s.colour});
            }
        }
    }
    return out;
}

// What each piece should be, from the tables of the passes.
Vs Floor(float x, float y) {
    const std::uint32_t c = 0xFFFFFFFF;
    return {{x - .5f, y - .5f, 0, 0, 0, c}, {x + .5f, y - .5f, 0, 1, 0, c}, {x - .5f, y + .5f, 0, 0, 1, c},
            {x + .5f, y - .5f, 0, 1, 0, c}, {x - .5f, y + .5f, 0, 0, 1, c}, {x + .5f, y + .5f, 0, 1, 1, c}};
}
Vs Wall(float ax, float ay, float bx, float by) {
    const std::uint32_t c = 0xFFFFFFFF;
    return {{ax, ay, 0, 0, 0, c}, {bx, by, 0, 1, 0, c}, {ax, ay, 1, 0, 1, c},
            {ax, ay, 1, 0, 1, c}, {bx, by, 0, 1, 0, c}, {bx, by, 1, 1, 1, c}};
}
Vs WallX(float x, float y) {
    return Wall(x - .5f, y - .5f, x - .5f, y + .5f);
}
Vs WallY(float x, float y) {
    return Wall(x - .5f, y - .5f, x + .5f, y - .5f);
}
Vs Marker(float x, float y) {
    const std::uint32_t c = 0xFFFFCCCC;
    return {{x, y - .5f, 0, 0, 0, c}, {x, y + .5f, 0, 1, 0, c}, {x, y, .5f, 0, 1, c},
            {x - .5f, y, 0, 0, 1, c}, {x + .5f, y, 0, 1, 0, c}, {x, y, .5f, 1, 1, c}};
}
Vs Hover(float x, float y) {
    const std::uint32_t c = 0x60CCFFCC;
    const float z = .1f;
    return {{x - .5f, y - .5f, z, 0, 0, c}, {x + .5f, y - .5f, z, 0, 0, c}, {x + .5f, y + .5f, z, 0, 0, c},
            {x + .5f, y + .5f, z, 0, 0, c}, {x - .5f, y - .5f, z, 0, 0, c}, {x - .5f, y + .5f, z, 0, 0, c}};
}
// tip and the two rear corners as offsets from the cell centre
Vs Avatar(float x, float y, float tx, float ty, float r1x, float r1y, float r2x, float r2y, std::uint32_t tip,
          std::uint32_t rear) {
    return {{x + tx, y + ty, .3f, .5f, 0, tip},
            {x + r1x, y + r1y, .3f, 0, 1, rear},
            {x + r2x, y + r2y, .3f, 1, 1, rear}};
}
Vs Cylinder(float x, float y) {
    Vs out;
    const std::uint32_t c = 0xFFFFFFFF;
    for (int i = 0; i < 10; ++i) {
        const double a0 = 2 * M_PI * i / 10, a1 = 2 * M_PI * (i + 1) / 10;
        const float x0 = float(x + .45 * std::sin(a0)), y0 = float(y + .45 * std::cos(a0));
        const float x1 = float(x + .45 * std::sin(a1)), y1 = float(y + .45 * std::cos(a1));
        const float u0 = i / 5.0f, u1 = (i + 1) / 5.0f;
        // both triangles of a segment wound alike, so that culling keeps or drops the segment whole
        out = out + Vs{{x0, y0, 0, u0, 1, c},    {x1, y1, 0, u1, 1, c}, {x0, y0, 2, u0, .05f, c},
                       {x0, y0, 2, u0, .05f, c}, {x1, y1, 0, u1, 1, c}, {x1, y1, 2, u1, .05f, c}};
    }
    return out;
}
// One line of label glyphs from the pen position: 12-pixel quads 8 pixels apart, glyph cells of 0.09375.
Vs Glyphs(const std::string& text, float penX, float penY, std::uint32_t c) {
    Vs out;
    for (unsigned char ch : text) {
        const int n = ch - 32;
        const float u = (n % 10) * .09375f, v = (n / 10) * .09375f, w = .09375f;
        const float x = penX - .5f, y = penY - .5f;
        out = out + Vs{{x, y, 0, u, v, c},          {x + 12, y, 0, u + w, v, c},
                       {x, y + 12, 0, u, v + w, c}, {x, y + 12, 0, u, v + w, c},
                       {x + 12, y, 0, u + w, v, c}, {x + 12, y + 12, 0, u + w, v + w, c}};
        penX += 8;
    }
    return out;
}
constexpr std::uint32_t kWhite = 0xFFFFFFFF, kGrey = 0xFFC8C8C8;

class WorldPasses : public ::testing::Test {
protected:
    void SetUp() override {
        device = DXG::InitRecordingForTests();
        ASSERT_NE(device, nullptr);
        ASSERT_TRUE(createWorldRenderers());
        ASSERT_TRUE(DXG::BeginFrame(0.0f, false, false));
        setHoverCell(-100, -100);
    }
    void TearDown() override {
        DXG::EndFrame0();
        ResetProcessState();
    }
    Drawn Frame() {
        device->ClearRecord();
        renderWorld();
        return Collect(*device);
    }
    // Textures for floor numbers 0 .. count - 1.
    void GiveFloorTextures(size_t count) {
        textures = std::vector<DXG::Texture>(count);
        for (DXG::Texture& t : textures) ASSERT_TRUE(t.Create(64, 64, DXG::OPAQUE));
        setFloorTextures(textures);
    }
    gfx::Vector3 Screen(float x, float y, float z) {
        gfx::Vector3 s;
        DXG::WorldToScreen({x, y, z}, &s.x, &s.y);
        return s;
    }

    ScratchFolder folder{"world-passes"};
    WorkingDirectory cwd{folder.path()};
    gfx::RecordingDevice* device = nullptr;
    std::vector<DXG::Texture> textures;
};

TEST_F(WorldPasses, AWindowOfFloor7IsOneDrawOf1922TrianglesFromVertexZero) {
    EmptyMap(20, 20, 20);
    worldtest::FillFloors(40, 7);
    GiveFloorTextures(8);
    const Drawn d = Frame();
    ASSERT_EQ(d.bufferDraws.size(), 1u);
    EXPECT_EQ(std::make_tuple(d.bufferDraws[0]->startVertex, d.bufferDraws[0]->primitiveCount),
              std::make_tuple(0u, 1922u));
    EXPECT_EQ(d.bufferDraws[0]->texture, textures[7].GetDeviceTexture());
    EXPECT_EQ(d.bufferDraws[0]->State(gfx::RenderState::CullMode), gfx::cull::None);
    Vs expected;
    for (int y = 5; y <= 35; ++y) {
        for (int x = 5; x <= 35; ++x) expected = expected + Floor(float(x), float(y));
    }
    EXPECT_EQ(d.world, expected);
}

TEST_F(WorldPasses, FloorsAreGroupedByNumberAndCellsWithoutADrawableFloorAreLeftOut) {
    EmptyMap(3, 2, 2);  // the whole 6 x 6 map is in the window
    setFloor(1, 0, 3);
    setFloor(4, 0, 1);
    setFloor(0, 1, 3);
    setFloor(3, 3, 300);  // no such slot
    setFloor(5, 5, 5);    // no texture for 5
    GiveFloorTextures(4);
    const Drawn d = Frame();
    ASSERT_EQ(d.bufferDraws.size(), 2u);
    EXPECT_EQ(std::make_tuple(d.bufferDraws[0]->startVertex, d.bufferDraws[0]->primitiveCount,
                              d.bufferDraws[1]->startVertex, d.bufferDraws[1]->primitiveCount),
              std::make_tuple(0u, 2u, 6u, 4u));
    EXPECT_EQ(d.bufferDraws[0]->texture, textures[1].GetDeviceTexture());
    EXPECT_EQ(d.bufferDraws[1]->texture, textures[3].GetDeviceTexture());
    EXPECT_EQ(d.world, Floor(4, 0) + Floor(1, 0) + Floor(0, 1));
}

// Locks are made to fail: a frame that needs no rebuild still draws, one that rebuilds draws nothing.
TEST_F(WorldPasses, SteadyFramesLockNothingAndOnlyChangesInTheWindowRebuild) {
    EmptyMap(30, 20, 20);
    worldtest::FillFloors(60, 0);
    GiveFloorTextures(1);
    auto floorTriangles = [&] {
        const Drawn d = Frame();
        return d.bufferDraws.empty() ? 0u : d.bufferDraws[0]->primitiveCount;
    };
    ASSERT_EQ(floorTriangles(), 1922u);
    device->lockResult = gfx::Result::Fail;
    EXPECT_EQ(floorTriangles(), 1922u);
    EXPECT_EQ(floorTriangles(), 1922u);

    setFloor(40, 20, 0);
    EXPECT_FALSE(notifyCellChanged(40, 20));
    EXPECT_EQ(floorTriangles(), 1922u);

    setFloor(30, 20, 0);
    EXPECT_TRUE(notifyCellChanged(30, 20));
    EXPECT_EQ(floorTriangles(), 0u);  // the rebuild could not lock
    EXPECT_EQ(floorTriangles(), 0u);  // not retried, and the unfilled buffer is not drawn

    device->lockResult = gfx::Result::Ok;
    SetPlayerPosition(21, 20);
    updateCamera(0.0f);
    EXPECT_EQ(floorTriangles(), 1922u);

    // A new map's textures rebuild the floors even where the player stands on the same cell.
    device->lockResult = gfx::Result::Fail;
    setFloorTextures(textures);
    EXPECT_EQ(floorTriangles(), 0u);
}

TEST_F(WorldPasses, WallsStandOnTheLowerEdgesOfWindowCellsWhateverTheByte) {
    EmptyMap(20, 20, 20);
    setWallLowX(10, 10, 1);
    setWallLowX(11, 10, 200);
    setWallLowX(12, 12, 1);
    setWallLowY(12, 12, 1);  // meets the other wall of the cell at (11.5, 11.5)
    setWallLowY(13, 12, 200);
    setWallLowX(3, 20, 1);  // outside the window
    const Drawn d = Frame();
    EXPECT_EQ(d.world, WallX(10, 10) + WallX(11, 10) + WallX(12, 12) + WallY(12, 12) + WallY(13, 12));
    for (const gfx::RecordedDraw* piece : d.pieces) {
        EXPECT_EQ(piece->State(gfx::RenderState::CullMode), gfx::cull::None);
        EXPECT_EQ(piece->fvf, gfx::kFvfWorld);
    }
}

TEST_F(WorldPasses, ObjectsAreMarkedAndTheHoverCellShowsOnlyItsSquare) {
    EmptyMap(20, 20, 20);
    setObject(10, 10, 1);
    setObject(12, 10, 900);
    setObject(14, 14, 5);
    setObject(3, 20, 1);  // outside the window
    setHoverCell(14, 14);
    Drawn d = Frame();
    EXPECT_EQ(d.world, Marker(10, 10) + Marker(12, 10) + Hover(14, 14));
    for (const gfx::RecordedDraw* piece : d.pieces) {
        EXPECT_EQ(std::make_tuple(piece->texture, piece->State(gfx::RenderState::CullMode),
                                  piece->State(gfx::RenderState::AlphaBlendEnable)),
                  std::make_tuple(nullptr, gfx::cull::None, 1u));
    }

    setObject(10, 10, 0);
    setObject(12, 10, 0);
    setObject(14, 14, 0);
    for (auto [hx, hy] : {std::pair{3, 20}, std::pair{-1, 20}, std::pair{20, 40}}) {
        setHoverCell(hx, hy);
        EXPECT_TRUE(Frame().world.empty()) << hx << "," << hy;
    }
}

TEST_F(WorldPasses, AvatarsPointTheirWayInListOrderWithColoursKeptInsideTheTables) {
    using namespace worldtest;
    LoadTestColours();
    EmptyMap(20, 20, 20);
    auto add = [](int x, int y, int direction, int fur, int vest) {
        CharacterRecord r;
        r.x = x;
        r.y = y;
        r.direction = direction;
        r.colors[0] = std::int8_t(fur);
        r.colors[5] = std::int8_t(vest);
        AddCharacter(r);
    };
    add(10, 10, 0, 5, 9);
    add(10, 10, 2, 0, 0);  // the same cell: drawn after, over the first
    add(11, 10, 3, 5, 9);
    add(12, 10, 1, 5, 9);
    add(13, 10, 4, 5, 9);
    add(14, 10, -7, 5, 9);
    add(15, 10, 0, 100, -20);  // out of the tables: their last and first entries
    add(3, 20, 0, 5, 9);       // outside the window
    const std::uint32_t tip = 0xFF000000 | kVest9, rear = 0x80000000 | kFur5;
    const Vs toMinusX = Avatar(0, 0, -.2f, 0, .2f, -.2f, .2f, .2f, tip, rear);
    auto at = [](Vs piece, float x, float y) {
        for (V& v : piece) v.x += x, v.y += y;
        return piece;
    };
    const Drawn d = Frame();
    EXPECT_EQ(d.world,
              Avatar(10, 10, 0, -.2f, .2f, .2f, -.2f, .2f, tip, rear) +
                  Avatar(10, 10, 0, .2f, -.2f, -.2f, .2f, -.2f, 0xFF000000 | kVest0, 0x80000000 | kFur0) +
                  Avatar(11, 10, .2f, 0, -.2f, .2f, -.2f, -.2f, tip, rear) + at(toMinusX, 12, 10) +
                  at(toMinusX, 13, 10) + at(toMinusX, 14, 10) +
                  Avatar(15, 10, 0, -.2f, .2f, .2f, -.2f, .2f, 0xFF000000 | kVest0, 0x80000000 | kFur63));
    for (const gfx::RecordedDraw* piece : d.pieces) {
        EXPECT_EQ(std::make_tuple(piece->texture, piece->State(gfx::RenderState::AlphaBlendEnable)),
                  std::make_tuple(nullptr, 1u));
        EXPECT_EQ(piece->world, gfx::Matrix::Identity());
    }
}

TEST_F(WorldPasses, DreamCylindersWriteNoDepthAndLabelsAreCentredAboveThem) {
    EmptyMap(20, 20, 20);
    AddDreamMarker({17, 18, "abcd", "abcdefghij"});
    AddDreamMarker({15, 20, "abcdefghij", "abcd"});
    AddDreamMarker({3, 20, "out", "side"});  // outside the window
    AddDreamMarker({18, 16, "", ""});        // an empty label
    worldtest::WriteBlockFont("data/font12.dds", 'a');
    const Drawn d = Frame();
    EXPECT_EQ(d.world, Cylinder(17, 18) + Cylinder(15, 20) + Cylinder(18, 16));
    for (const gfx::RecordedDraw* piece : d.pieces) {
        EXPECT_EQ(std::make_tuple(piece->State(gfx::RenderState::CullMode),
                                  piece->State(gfx::RenderState::ZWriteEnable),
                                  piece->State(gfx::RenderState::AlphaBlendEnable)),
                  std::make_tuple(gfx::cull::CW, 0u, 1u));
    }

    const gfx::Vector3 a = Screen(17, 18, 1.5f), b = Screen(15, 20, 1.5f);
    EXPECT_EQ(d.screen,
              Glyphs("   abcd", a.x - 40, a.y, kWhite) + Glyphs("abcdefghij", a.x - 40, a.y + 12, kGrey) +
                  Glyphs("abcdefghij", b.x - 40, b.y, kWhite) + Glyphs("   abcd", b.x - 40, b.y + 12, kGrey));
    for (const gfx::RecordedDraw& draw : device->draws) {
        if (draw.fvf != gfx::kFvfScreen) continue;
        EXPECT_EQ(std::make_tuple(draw.State(gfx::RenderState::CullMode),
                                  draw.State(gfx::RenderState::ZWriteEnable)),
                  std::make_tuple(gfx::cull::CCW, 0u));
        EXPECT_NE(draw.texture, nullptr);  // the font
    }
    EXPECT_EQ(device->GetRenderState(gfx::RenderState::ZWriteEnable), 1u);
}

// Label bytes come from the server: codes in them, and lines wider than the screen, change nothing else.
TEST_F(WorldPasses, ServerLabelsCannotStyleTheFrameAndAreCutToTheScreen) {
    EmptyMap(20, 20, 20);
    const std::string styled = std::string("ab\x01\0\0\x40\x41", 7) + std::string("\x02\xff\0\0\xff", 5) +
                               "c\x07\xe9" + std::string("\0\0\0\xff", 4) + "d";
    AddDreamMarker({17, 18, styled, std::string("x\x01\0\0", 4)});  // a code cut short by the line's end
    AddDreamMarker({15, 20, "ok", "ok"});
    AddDreamMarker({13, 14, std::string(300, 'w'), "z"});
    AddDreamMarker({28, 28, "behind", "the eye"});  // beyond the camera: no label
    const Drawn d = Frame();
    const gfx::Vector3 a = Screen(17, 18, 1.5f), b = Screen(15, 20, 1.5f), c = Screen(13, 14, 1.5f);
    EXPECT_EQ(d.screen, Glyphs("abc", a.x - 12, a.y, kWhite) + Glyphs(" x", a.x - 12, a.y + 12, kGrey) +
                            Glyphs("ok", b.x - 8, b.y, kWhite) + Glyphs("ok", b.x - 8, b.y + 12, kGrey) +
                            Glyphs(std::string(100, 'w'), c.x - 400, c.y, kWhite) +
                            Glyphs(std::string(49, ' ') + "z", c.x - 400, c.y + 12, kGrey));
    EXPECT_EQ(d.world.size(), 4u * 60u);  // every cylinder is still drawn
}

}  // namespace
