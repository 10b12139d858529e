#include <gtest/gtest.h>

#include "world/WorldView.h"

namespace {

TEST(WorldView, VolumeDropsOnlyBoxesWhollyOutsideOnePlane) {
    // At the starting yaw the camera looks from (+x, +y) toward -x -y.
    const WorldView v = MakeWorldView({40, 40, 20, 20}, 0.7853982f, 0, 0);
    const struct {
        gfx::Vector3 low, high;
        bool shows;
    } rows[] = {
        {{19.5f, 19.5f, 0}, {20.5f, 20.5f, 1}, true},    // the centre cell
        {{5.5f, 5.5f, 0}, {6.5f, 6.5f, 2}, false},       // far ahead, above the top edge
        {{23.5f, 23.5f, 0}, {24.5f, 24.5f, 1}, false},   // behind the eye
        {{4.5f, 34.5f, 0}, {5.5f, 35.5f, 0.5f}, false},  // far off to the side
        {{20, 20, 150}, {21, 21, 151}, false},           // beyond the far plane, high above
    };
    for (const auto& row : rows)
        EXPECT_EQ(v.mayShow(row.low, row.high), row.shows) << row.low.x << "," << row.low.y;
    EXPECT_GT(v.clipW({20, 20, 0}), 0.0f);
    EXPECT_LT(v.clipW({25, 25, 4}), 0.0f);
}

}  // namespace
