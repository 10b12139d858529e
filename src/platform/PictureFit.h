// Where the program's fixed-size picture lands in a window of any size: scaled at its own shape, centred,
// with bars on the two sides that are left over; and the way back from window pixels to picture pixels.
#pragma once

namespace platform {

// A rectangle of window pixels, row 0 at the top.
struct PictureRect {
    int x = 0, y = 0;
    int width = 0, height = 0;
};

// The largest rectangle of the picture's shape that fits the window, centred. Empty for an empty window.
PictureRect FitPicture(int windowWidth, int windowHeight, int pictureWidth, int pictureHeight);

// Whether each picture pixel becomes a whole square of window pixels (so it can be shown unfiltered).
bool IsWholeScale(const PictureRect& rect, int pictureWidth, int pictureHeight);

// The picture pixel under the window pixel (x, y); false on a bar (nothing of the picture there).
bool WindowToPicture(const PictureRect& rect, int pictureWidth, int pictureHeight, int x, int y,
                     int* pictureX, int* pictureY);

// The window pixel at the centre of picture pixel (x, y).
void PictureToWindow(const PictureRect& rect, int pictureWidth, int pictureHeight, int x, int y, int* windowX,
                     int* windowY);

}  // namespace platform
