#include "canvas/view/view_geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace velmora {

namespace {

// Far beyond any picture, small enough to stay exact in a double and an int64.
constexpr double kFar = 1e15;

std::int64_t Shown(std::int64_t device, double origin, double scale) {
    const double p = std::floor((static_cast<double>(device) + 0.5 + origin) / scale);
    return static_cast<std::int64_t>(std::clamp(p, -kFar, kFar));
}

// The smallest device index whose centre shows picture index p or beyond. The estimate from
// the inverse formula is checked against Shown itself, so both always agree.
std::int64_t FirstShowing(std::int64_t p, double origin, double scale) {
    const double estimate = std::ceil(static_cast<double>(p) * scale - origin - 0.5);
    auto d = static_cast<std::int64_t>(std::clamp(estimate, -kFar, kFar));
    while (Shown(d - 1, origin, scale) >= p) {
        --d;
    }
    while (Shown(d, origin, scale) < p) {
        ++d;
    }
    return d;
}

}  // namespace

std::int64_t ViewGeometry::PictureColumn(std::int64_t deviceX) const {
    return Shown(deviceX, originX, scale);
}

std::int64_t ViewGeometry::PictureRow(std::int64_t deviceY) const {
    return Shown(deviceY, originY, scale);
}

std::int64_t ViewGeometry::FirstDeviceColumn(std::int64_t pictureX) const {
    return FirstShowing(pictureX, originX, scale);
}

std::int64_t ViewGeometry::FirstDeviceRow(std::int64_t pictureY) const {
    return FirstShowing(pictureY, originY, scale);
}

Rect ViewGeometry::DeviceRectOf(const Rect& pictureRect) const {
    if (pictureRect.Empty()) {
        return {};
    }
    const std::int64_t left = std::max<std::int64_t>(FirstDeviceColumn(pictureRect.x), 0);
    const std::int64_t top = std::max<std::int64_t>(FirstDeviceRow(pictureRect.y), 0);
    const std::int64_t right =
        std::min<std::int64_t>(FirstDeviceColumn(pictureRect.Right()), width);
    const std::int64_t bottom =
        std::min<std::int64_t>(FirstDeviceRow(pictureRect.Bottom()), height);
    if (right <= left || bottom <= top) {
        return {};
    }
    return {static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
            static_cast<int>(bottom - top)};
}

}  // namespace velmora
