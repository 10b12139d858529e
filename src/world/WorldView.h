// What one frame of the world sees, built once per frame by the world renderer and handed to every pass:
// the window of cells around the player, the hover cell, the camera's matrices and its view volume. The
// passes read nothing else about the view, so a camera is one value to build and test.
#pragma once

#include <array>
#include <cstdint>

#include "gfx/Device.h"

// The map size (the grid side, both ways) and the window's centre cell.
struct ViewWindow {
    std::int32_t width = 0, height = 0, cx = 0, cy = 0;
};

// A plane of the view volume: a x + b y + c z + d >= 0 on its inner side.
struct ViewPlane {
    float a = 0.0f, b = 0.0f, c = 0.0f, d = 0.0f;
};

struct WorldView {
    static constexpr std::int32_t kReach = 15;  // cells from the centre to the window's edge

    ViewWindow window;
    std::int32_t x0 = 0, y0 = 0, x1 = -1, y1 = -1;  // the window clipped to the map, inclusive
    std::int32_t hoverX = 0, hoverY = 0;
    gfx::Matrix view = gfx::Matrix::Identity();
    gfx::Matrix projection = gfx::Matrix::Identity();
    std::array<ViewPlane, 6> volume{};  // left, right, bottom, top, near, far

    // The cell lies in the window and on the map.
    bool contains(std::int32_t gx, std::int32_t gy) const;
    // Some of the box may be on screen: it lies wholly outside no plane of the view volume (each moved
    // out by a margin, so a box it drops has no pixel on screen).
    bool mayShow(const gfx::Vector3& low, const gfx::Vector3& high) const;
    // The same for the box of cell (gx, gy) from the floor up to height top.
    bool cellMayShow(std::int32_t gx, std::int32_t gy, float top) const;
    // The same window on the same map size, seen by the same camera: the same cells may show. The window
    // bounds and the view volume follow from these.
    bool sameCamera(const WorldView& other) const;
    // The clip-space w of a world point: not positive behind the eye.
    float clipW(const gfx::Vector3& point) const;
};

// The camera orbits the window's centre cell at yaw radians, 1.7 cells out and 4 up, looking at the
// cell's centre on the floor; vertical field of view 1.57, aspect 4 : 3, depth 1 to 100.
WorldView MakeWorldView(const ViewWindow& window, float yaw, std::int32_t hoverX, std::int32_t hoverY);
