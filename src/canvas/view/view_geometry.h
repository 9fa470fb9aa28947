#pragma once

#include <cstdint>

#include "canvas/map/rect.h"

namespace velmora {

// Where the picture lies in the viewport, counted in device pixels (the screen's own pixels,
// the zoom times the device pixel ratio per picture pixel). Every mapping between the screen
// and picture pixels goes through it, so that what is painted is what is shown.
struct ViewGeometry {
    double scale = 1;    // device pixels per picture pixel
    double originX = 0;  // the viewport's top-left corner from the picture's, device pixels
    double originY = 0;
    int width = 0;  // the viewport, device pixels
    int height = 0;

    // The picture column shown by device column x: the one under the pixel's centre. Any
    // column, also outside the viewport or the picture.
    std::int64_t PictureColumn(std::int64_t deviceX) const;
    std::int64_t PictureRow(std::int64_t deviceY) const;
    // The first device column that shows picture column x or one right of it.
    std::int64_t FirstDeviceColumn(std::int64_t pictureX) const;
    std::int64_t FirstDeviceRow(std::int64_t pictureY) const;
    // The device pixels of the viewport that show a pixel of the picture rectangle.
    Rect DeviceRectOf(const Rect& pictureRect) const;
    // The same view at another scale, moved so that the picture point under the device
    // position (x, y) stays there: zooming about the pointer.
    ViewGeometry ZoomedAbout(double newScale, double x, double y) const {
        ViewGeometry g = *this;
        g.scale = newScale;
        g.originX = (x + originX) / scale * newScale - x;
        g.originY = (y + originY) / scale * newScale - y;
        return g;
    }
    // The device position of a point in picture coordinates (pixel corners are whole numbers).
    double DeviceX(double pictureX) const { return pictureX * scale - originX; }
    double DeviceY(double pictureY) const { return pictureY * scale - originY; }
};

}  // namespace velmora
