// The frame's view: the window of cells, the camera's matrices and the planes of its view volume.
#include "world/WorldView.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// The camera's matrices are written out here rather than taken from GLM: GLM's perspectiveLH_ZO and
// lookAtLH round differently in the last bit (1 / (aspect tan) against (1 / tan) / aspect, and so on),
// and that moves edge pixels of the picture. This is the one place the world's camera is computed.

// Direct3D's left-handed perspective projection (depth 0..1), in its row-vector layout.
gfx::Matrix PerspectiveFovLH(float fovY, float aspect, float zNear, float zFar) {
    const float yScale = 1.0f / std::tan(fovY / 2.0f);
    const float xScale = yScale / aspect;
    const float depthScale = zFar / (zFar - zNear);
    gfx::Matrix m{};
    m.m[0] = xScale;
    m.m[5] = yScale;
    m.m[10] = depthScale;
    m.m[11] = 1.0f;
    m.m[14] = -zNear * depthScale;
    return m;
}

gfx::Vector3 Subtract(const gfx::Vector3& a, const gfx::Vector3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
gfx::Vector3 Cross(const gfx::Vector3& a, const gfx::Vector3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float Dot(const gfx::Vector3& a, const gfx::Vector3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
gfx::Vector3 Normalised(const gfx::Vector3& v) {
    const float length = std::sqrt(Dot(v, v));
    return length > 0.0f ? gfx::Vector3{v.x / length, v.y / length, v.z / length} : v;
}

// Direct3D's left-handed look-at view transform, in its row-vector layout.
gfx::Matrix LookAtLH(const gfx::Vector3& eye, const gfx::Vector3& target, const gfx::Vector3& up) {
    const gfx::Vector3 zAxis = Normalised(Subtract(target, eye));
    const gfx::Vector3 xAxis = Normalised(Cross(up, zAxis));
    const gfx::Vector3 yAxis = Cross(zAxis, xAxis);
    return {{xAxis.x, yAxis.x, zAxis.x, 0.0f, xAxis.y, yAxis.y, zAxis.y, 0.0f, xAxis.z, yAxis.z, zAxis.z,
             0.0f, -Dot(xAxis, eye), -Dot(yAxis, eye), -Dot(zAxis, eye), 1.0f}};
}

// The row-vector product a b (a applied first).
gfx::Matrix Multiply(const gfx::Matrix& a, const gfx::Matrix& b) {
    gfx::Matrix m{};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            for (int k = 0; k < 4; ++k) m.m[r * 4 + c] += a.m[r * 4 + k] * b.m[k * 4 + c];
    return m;
}

// The plane sign * column c + wScale * column w of the row-vector clip transform m.
ViewPlane Plane(const gfx::Matrix& m, int c, float sign, float wScale) {
    auto at = [&](int row) { return sign * m.m[row * 4 + c] + wScale * m.m[row * 4 + 3]; };
    return {at(0), at(1), at(2), at(3)};
}

}  // namespace

bool WorldView::contains(std::int32_t gx, std::int32_t gy) const {
    return gx >= 0 && gx < window.width && gy >= 0 && gy < window.height &&
           std::abs(gx - window.cx) <= kReach && std::abs(gy - window.cy) <= kReach;
}

bool WorldView::mayShow(const gfx::Vector3& low, const gfx::Vector3& high) const {
    for (const ViewPlane& p : volume) {
        // The box corner farthest along the plane's normal; if even it is outside, all of the box is.
        const float x = p.a >= 0.0f ? high.x : low.x, y = p.b >= 0.0f ? high.y : low.y;
        const float z = p.c >= 0.0f ? high.z : low.z;
        if (p.a * x + p.b * y + p.c * z + p.d < 0.0f) return false;
    }
    return true;
}

bool WorldView::cellMayShow(std::int32_t gx, std::int32_t gy, float top) const {
    const float x = float(gx), y = float(gy);
    return mayShow({x - 0.5f, y - 0.5f, 0.0f}, {x + 0.5f, y + 0.5f, top});
}

bool WorldView::sameCamera(const WorldView& other) const {
    auto same = [](const gfx::Matrix& a, const gfx::Matrix& b) { return std::equal(a.m, a.m + 16, b.m); };
    return window.width == other.window.width && window.height == other.window.height &&
           window.cx == other.window.cx && window.cy == other.window.cy && same(view, other.view) &&
           same(projection, other.projection);
}

float WorldView::clipW(const gfx::Vector3& point) const {
    float viewPoint[4];
    for (int column = 0; column < 4; ++column) {
        viewPoint[column] = point.x * view.m[column] + point.y * view.m[4 + column] +
                            point.z * view.m[8 + column] + view.m[12 + column];
    }
    const gfx::Matrix& p = projection;
    return viewPoint[0] * p.m[3] + viewPoint[1] * p.m[7] + viewPoint[2] * p.m[11] + viewPoint[3] * p.m[15];
}

WorldView MakeWorldView(const ViewWindow& window, float yaw, std::int32_t hoverX, std::int32_t hoverY) {
    WorldView v;
    v.window = window;
    v.x0 = std::max(window.cx - WorldView::kReach, 0);
    v.y0 = std::max(window.cy - WorldView::kReach, 0);
    v.x1 = std::min(window.cx + WorldView::kReach, window.width - 1);
    v.y1 = std::min(window.cy + WorldView::kReach, window.height - 1);
    v.hoverX = hoverX;
    v.hoverY = hoverY;

    v.projection = PerspectiveFovLH(1.57f, 1.3333334f, 1.0f, 100.0f);
    const float cx = float(window.cx), cy = float(window.cy);
    const gfx::Vector3 eye{cx + 1.7f * std::cos(yaw), cy + 1.7f * std::sin(yaw), 4.0f};
    v.view = LookAtLH(eye, {cx, cy, 0.0f}, {0.0f, 0.0f, 1.0f});

    // A point is inside when -w <= x <= w, -w <= y <= w and 0 <= z <= w in clip space: each inequality
    // is a plane in world space, read off the columns of the row-vector clip transform. Each plane is
    // moved out by kMargin w (6 pixels across the screen's width): the device shifts every vertex half a
    // pixel, and the plane test rounds differently from the device, so only what lies well outside is
    // dropped, and dropping it cannot change a pixel.
    constexpr float kMargin = 1.0f / 64.0f;
    const gfx::Matrix m = Multiply(v.view, v.projection);
    v.volume = {Plane(m, 0, 1, 1 + kMargin),  Plane(m, 0, -1, 1 + kMargin), Plane(m, 1, 1, 1 + kMargin),
                Plane(m, 1, -1, 1 + kMargin), Plane(m, 2, 1, kMargin),      Plane(m, 2, -1, 1 + kMargin)};
    return v;
}
