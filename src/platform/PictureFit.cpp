// The picture-to-window mapping shared by present and the pointer, in integer arithmetic so that both
// directions agree exactly.
#include "platform/PictureFit.h"

#include <cstdint>

namespace platform {

PictureRect FitPicture(int windowWidth, int windowHeight, int pictureWidth, int pictureHeight) {
    PictureRect r;
    if (windowWidth <= 0 || windowHeight <= 0 || pictureWidth <= 0 || pictureHeight <= 0) return r;
    // Compare the shapes without rounding: the window is narrower than the picture, or not.
    if (int64_t(windowWidth) * pictureHeight <= int64_t(windowHeight) * pictureWidth) {
        r.width = windowWidth;
        r.height = int((int64_t(windowWidth) * pictureHeight + pictureWidth / 2) / pictureWidth);
    } else {
        r.height = windowHeight;
        r.width = int((int64_t(windowHeight) * pictureWidth + pictureHeight / 2) / pictureHeight);
    }
    r.x = (windowWidth - r.width) / 2;
    r.y = (windowHeight - r.height) / 2;
    return r;
}

bool IsWholeScale(const PictureRect& rect, int pictureWidth, int pictureHeight) {
    return pictureWidth > 0 && pictureHeight > 0 && rect.width % pictureWidth == 0 &&
           rect.height % pictureHeight == 0 && rect.width / pictureWidth == rect.height / pictureHeight;
}

bool WindowToPicture(const PictureRect& rect, int pictureWidth, int pictureHeight, int x, int y,
                     int* pictureX, int* pictureY) {
    if (rect.width <= 0 || rect.height <= 0) return false;
    if (x < rect.x || y < rect.y || x >= rect.x + rect.width || y >= rect.y + rect.height) return false;
    // The window pixel's centre, scaled into the picture, in halves to stay in integers.
    *pictureX = int((int64_t(2 * (x - rect.x) + 1) * pictureWidth) / (2 * int64_t(rect.width)));
    *pictureY = int((int64_t(2 * (y - rect.y) + 1) * pictureHeight) / (2 * int64_t(rect.height)));
    return true;
}

void PictureToWindow(const PictureRect& rect, int pictureWidth, int pictureHeight, int x, int y, int* windowX,
                     int* windowY) {
    *windowX = rect.x + int((int64_t(2 * x + 1) * rect.width) / (2 * int64_t(pictureWidth)));
    *windowY = rect.y + int((int64_t(2 * y + 1) * rect.height) / (2 * int64_t(pictureHeight)));
}

}  // namespace platform
