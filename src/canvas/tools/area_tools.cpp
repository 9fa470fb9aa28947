#include "canvas/tools/area_tools.h"

#include <algorithm>

#include "canvas/map/map_ops.h"
#include "canvas/tools/object_select.h"
#include "canvas/tools/region_select.h"
#include "store/errors.h"

namespace velmora {

namespace {

constexpr int kMinObjectSide = 3;

void RequireOnPicture(const Bitmap& map, std::int64_t x, std::int64_t y) {
    if (x < 0 || y < 0 || x >= map.Width() || y >= map.Height()) {
        throw Error(PointOffPictureText(x, y, map));
    }
}

std::string SizeText(const Bitmap& map) {
    return std::to_string(map.Width()) + " × " + std::to_string(map.Height());
}

}  // namespace

std::string PointOffPictureText(std::int64_t x, std::int64_t y, const Bitmap& map) {
    return "Точка " + std::to_string(x) + "," + std::to_string(y) + " лежит вне изображения " +
           SizeText(map) + ".";
}

void FillRectangle(MapWriter& writer, std::int64_t left, std::int64_t top, std::int64_t width,
                   std::int64_t height) {
    const Rect clipped = ClipToMap(writer.Map(), left, top, width, height);
    for (int y = clipped.y; y < clipped.Bottom(); ++y) {
        writer.Span(y, clipped.x, clipped.Right());
    }
}

void FillEllipse(MapWriter& writer, std::int64_t left, std::int64_t top, std::int64_t width,
                 std::int64_t height) {
    RasterizeEllipse(static_cast<double>(left), static_cast<double>(top),
                     static_cast<double>(width), static_cast<double>(height), writer.Map().Width(),
                     writer.Map().Height(),
                     [&writer](int y, int x0, int x1) { writer.Span(y, x0, x1); });
}

void FillPolygon(MapWriter& writer, const ShapeRing& points) {
    if (points.size() < 3) {
        throw Error("Многоугольнику нужно не меньше 3 точек, а задано " +
                    std::to_string(points.size()) + ".");
    }
    RasterizeRings({points}, FillRule::NonZero, writer.Map().Width(), writer.Map().Height(),
                   [&writer](int y, int x0, int x1) { writer.Span(y, x0, x1); });
}

void FillRegion(MapWriter& writer, std::int64_t x, std::int64_t y) {
    FillRegion(writer, writer.Map(), x, y);
}

void FillRegion(SpanTarget& target, const Bitmap& map, std::int64_t x, std::int64_t y,
                Progress& progress) {
    RequireOnPicture(map, x, y);
    SelectMapRegion(
        map, static_cast<int>(x), static_cast<int>(y),
        [&target](int row, int x0, int x1) { target.Span(row, x0, x1); }, progress);
}

void FillSimilarColour(SpanTarget& target, const Bitmap& picture, std::int64_t x, std::int64_t y,
                       int tolerance, bool contiguous, Progress& progress) {
    RequireOnPicture(picture, x, y);
    if (tolerance < 0 || tolerance > 255) {
        throw Error("Допуск цвета должен быть от 0 до 255, а задан " + std::to_string(tolerance) +
                    ".");
    }
    const int width = std::min(picture.Width(), target.Width());
    const int height = std::min(picture.Height(), target.Height());
    SelectSimilarColour(
        picture, static_cast<int>(x), static_cast<int>(y), tolerance, contiguous,
        [&target, width, height](int row, int x0, int x1) {
            if (row < height && x0 < width) {
                target.Span(row, x0, std::min(x1, width));
            }
        },
        progress);
}

void FillObject(SpanTarget& target, const Bitmap& picture, std::int64_t left, std::int64_t top,
                std::int64_t width, std::int64_t height, Progress& progress) {
    const std::string asGiven = std::to_string(left) + "," + std::to_string(top) + "," +
                                std::to_string(width) + "," + std::to_string(height);
    const std::int64_t x0 = std::max<std::int64_t>(left, 0);
    const std::int64_t y0 = std::max<std::int64_t>(top, 0);
    const std::int64_t x1 = std::min<std::int64_t>(left + std::max<std::int64_t>(width, 0),
                                                   std::min(picture.Width(), target.Width()));
    const std::int64_t y1 = std::min<std::int64_t>(top + std::max<std::int64_t>(height, 0),
                                                   std::min(picture.Height(), target.Height()));
    if (width <= 0 || height <= 0 || x0 >= x1 || y0 >= y1) {
        throw Error("Рамка " + asGiven + " лежит вне изображения " + SizeText(picture) + ".");
    }
    if (x1 - x0 < kMinObjectSide || y1 - y0 < kMinObjectSide) {
        throw Error("Рамка " + asGiven +
                    " слишком мала для выделения объекта: нужно не меньше 3 × 3 пикселей "
                    "изображения.");
    }
    const Rect box{static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1 - x0),
                   static_cast<int>(y1 - y0)};
    // Row by row, so that a box over a huge picture never holds a whole mask.
    SegmentObject(
        picture, box,
        [&](int y, const std::uint8_t* row) {
            int runStart = -1;
            for (int x = 0; x <= box.width; ++x) {
                const bool inside = x < box.width && row[x] != 0;
                if (inside && runStart < 0) {
                    runStart = x;
                } else if (!inside && runStart >= 0) {
                    target.Span(box.y + y, box.x + runStart, box.x + x);
                    runStart = -1;
                }
            }
        },
        progress);
}

Rect FillEllipse(Bitmap& map, std::int64_t left, std::int64_t top, std::int64_t width,
                 std::int64_t height, std::uint8_t value, bool overwrite) {
    MapWriter writer(map, value, overwrite);
    FillEllipse(writer, left, top, width, height);
    return writer.Changed();
}

Rect FillPolygon(Bitmap& map, const ShapeRing& points, std::uint8_t value, bool overwrite) {
    MapWriter writer(map, value, overwrite);
    FillPolygon(writer, points);
    return writer.Changed();
}

Rect FillRegion(Bitmap& map, std::int64_t x, std::int64_t y, std::uint8_t value, bool overwrite) {
    MapWriter writer(map, value, overwrite);
    FillRegion(writer, x, y);
    return writer.Changed();
}

Rect FillSimilarColour(const Bitmap& picture, Bitmap& map, std::int64_t x, std::int64_t y,
                       int tolerance, bool contiguous, std::uint8_t value, bool overwrite) {
    MapWriter writer(map, value, overwrite);
    FillSimilarColour(writer, picture, x, y, tolerance, contiguous);
    return writer.Changed();
}

Rect FillObject(const Bitmap& picture, Bitmap& map, std::int64_t left, std::int64_t top,
                std::int64_t width, std::int64_t height, std::uint8_t value, bool overwrite) {
    MapWriter writer(map, value, overwrite);
    FillObject(writer, picture, left, top, width, height);
    return writer.Changed();
}

}  // namespace velmora
