#include "canvas/view/viewport_compose.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "canvas/view/row_bands.h"
#include "store/area_palette.h"

namespace velmora {

namespace {

// Scales within this of 1 count as 100 %, so a device pixel ratio times a zoom that rounds a
// hair below 1 still draws sharp pixels.
constexpr double kUnitScale = 1 - 1e-9;

// Area values as the view reads them from a row: every third byte of the full map, every byte
// of a half.
struct AreaRows {
    const std::uint8_t* data = nullptr;
    std::size_t stride = 0;
    int step = 1;
    int width = 0;
    int height = 0;

    std::uint8_t At(int x, int y) const {
        return data[static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x) * step];
    }
};

// For one device column (or row) of the filtered view: the two level pixels mixed for its
// colour with the weight of the second in 256ths, and the level pixels its footprint
// touches for the areas.
struct Tap {
    int first = 0;
    int second = 0;
    int weight = 0;
    int areaFirst = 0;
    int areaLast = 0;
    bool inside = false;
};

Tap MakeTap(std::int64_t device, double origin, double scale, double levelScale,
            std::int64_t shownPixel, int pictureSize, int levelSize, int areaSize) {
    Tap tap;
    tap.inside = shownPixel >= 0 && shownPixel < pictureSize;
    if (!tap.inside) {
        return tap;
    }
    const double f0 = (static_cast<double>(device) + origin) / scale * levelScale;
    const double f1 = (static_cast<double>(device) + 1 + origin) / scale * levelScale;
    const double u = (f0 + f1) / 2 - 0.5;
    double whole = std::floor(u);
    int weight = static_cast<int>(std::lround((u - whole) * 256));
    if (weight >= 256) {
        whole += 1;
        weight = 0;
    }
    const auto i0 = static_cast<std::int64_t>(whole);
    tap.first = static_cast<int>(std::clamp<std::int64_t>(i0, 0, levelSize - 1));
    tap.second = static_cast<int>(std::clamp<std::int64_t>(i0 + 1, 0, levelSize - 1));
    tap.weight = weight;
    if (areaSize > 0) {
        const auto a0 = static_cast<std::int64_t>(std::floor(f0));
        auto a1 = static_cast<std::int64_t>(std::ceil(f1)) - 1;
        a1 = std::clamp<std::int64_t>(a1, a0, a0 + 2);
        tap.areaFirst = static_cast<int>(std::clamp<std::int64_t>(a0, 0, areaSize - 1));
        tap.areaLast = static_cast<int>(std::clamp<std::int64_t>(a1, 0, areaSize - 1));
        if (a0 >= areaSize || a1 < 0) {
            tap.areaFirst = 1;  // beyond the map: no area
            tap.areaLast = 0;
        }
    } else {
        tap.areaFirst = 1;
        tap.areaLast = 0;
    }
    return tap;
}

void FillBackground(ViewportImage& image, const Rect& rect, std::uint32_t background) {
    for (int y = rect.y; y < rect.Bottom(); ++y) {
        std::fill_n(image.Row(y) + rect.x, rect.width, background);
    }
}

// From 100 % on: each device pixel copies the composed picture pixel under its centre. A
// picture row is composed once for all the device rows that show it.
void ComposeSharp(const ViewScene& scene, const ViewGeometry& g, ViewportImage& image,
                  const Rect& rect) {
    const Bitmap& picture = *scene.picture;
    static const Bitmap kNoMap;
    const Bitmap& map = scene.map ? *scene.map : kNoMap;
    const ViewMode mode = scene.map ? scene.mode : ViewMode::Picture;
    const ViewRowComposer composer(*scene.palette, mode, scene.currentArea);

    std::vector<int> columns(static_cast<std::size_t>(rect.width));
    std::int64_t first = picture.Width();
    std::int64_t last = -1;
    for (int i = 0; i < rect.width; ++i) {
        const std::int64_t x = g.PictureColumn(rect.x + i);
        const bool inside = x >= 0 && x < picture.Width();
        columns[static_cast<std::size_t>(i)] = inside ? static_cast<int>(x) : -1;
        if (inside) {
            first = std::min(first, x);
            last = std::max(last, x);
        }
    }
    if (last < first) {
        FillBackground(image, rect, scene.background);
        return;
    }
    std::vector<std::uint8_t> row(static_cast<std::size_t>(last - first + 1) * 3);
    const EffectPreview* effects = scene.map ? scene.effects : nullptr;
    std::vector<std::uint8_t> changedRow;
    std::int64_t composedRow = -1;
    for (int y = rect.y; y < rect.Bottom(); ++y) {
        std::uint32_t* out = image.Row(y) + rect.x;
        const std::int64_t py = g.PictureRow(y);
        if (py < 0 || py >= picture.Height()) {
            std::fill_n(out, rect.width, scene.background);
            composedRow = -1;
            continue;
        }
        if (py == composedRow && y > rect.y) {
            std::memcpy(out, image.Row(y - 1) + rect.x, static_cast<std::size_t>(rect.width) * 4);
            continue;
        }
        if (effects) {
            composer.Compose(picture, map, *effects, static_cast<int>(py), static_cast<int>(first),
                             static_cast<int>(last + 1), changedRow, row.data());
        } else {
            composer.Compose(picture, map, static_cast<int>(py), static_cast<int>(first),
                             static_cast<int>(last + 1), row.data());
        }
        for (int i = 0; i < rect.width; ++i) {
            const int x = columns[static_cast<std::size_t>(i)];
            out[i] = x < 0 ? scene.background
                           : ViewportPixel(row.data() + static_cast<std::size_t>(x - first) * 3);
        }
        composedRow = py;
    }
}

// Per byte of 0x00RRGGBB pixels: (a + b) / 2 rounded down, as the full composition blends.
std::uint32_t HalfSum(std::uint32_t a, std::uint32_t b) {
    return (a & b) + (((a ^ b) & 0xFEFEFEu) >> 1);
}

// (a * (256 - w) + b * w) / 256 rounded, per byte of 0x00RRGGBB pixels.
std::uint32_t Mix(std::uint32_t a, std::uint32_t b, std::uint32_t w) {
    const std::uint32_t keep = 256 - w;
    const std::uint32_t redBlue =
        (((a & 0xFF00FFu) * keep + (b & 0xFF00FFu) * w + 0x800080u) >> 8) & 0xFF00FFu;
    const std::uint32_t green =
        (((a & 0xFF00u) * keep + (b & 0xFF00u) * w + 0x8000u) >> 8) & 0xFF00u;
    return redBlue | green;
}

std::uint32_t Packed(const std::uint8_t* bgr) {
    return static_cast<std::uint32_t>(bgr[2]) << 16 | static_cast<std::uint32_t>(bgr[1]) << 8 |
           bgr[0];
}

// Below 100 %: the level at or above the zoom, mixed between its two nearest pixels in each
// direction; an area tints the device pixel when the map's half gives it to the footprint.
void ComposeFiltered(const ViewScene& scene, const ViewGeometry& g, ViewportImage& image,
                     const Rect& rect, int level) {
    const Bitmap& picture = level == 0 ? *scene.picture : scene.pyramid->PictureLevel(level);
    const double levelScale = 1.0 / (1 << level);
    const bool tinting = scene.map && !scene.map->Empty() &&
                         (scene.mode == ViewMode::PictureAndMask ||
                          (scene.mode == ViewMode::PictureAndCurrentArea &&
                           scene.currentArea >= 1 && scene.currentArea <= 255));
    AreaRows areas;
    if (tinting && level == 0) {
        const Bitmap& map = *scene.map;
        areas = {map.Data() + 2, map.BytesPerLine(), 3, map.Width(), map.Height()};
    } else if (tinting) {
        const AreaPlane& plane = scene.pyramid->MapLevel(level);
        areas = {plane.values.data(), static_cast<std::size_t>(plane.width), 1, plane.width,
                 plane.height};
    }

    // The preview's effects follow the area under each device pixel's centre.
    const EffectPreview* effects = scene.map ? scene.effects : nullptr;
    std::vector<int> effectColumns;
    if (effects) {
        effectColumns.resize(static_cast<std::size_t>(rect.width));
        for (int i = 0; i < rect.width; ++i) {
            const std::int64_t x = g.PictureColumn(rect.x + i);
            effectColumns[static_cast<std::size_t>(i)] =
                x >= 0 && x < scene.map->Width() ? static_cast<int>(x) : -1;
        }
    }

    std::vector<Tap> columns(static_cast<std::size_t>(rect.width));
    int areaFrom = std::numeric_limits<int>::max();
    int areaTo = -1;
    for (int i = 0; i < rect.width; ++i) {
        const int x = rect.x + i;
        Tap& tap = columns[static_cast<std::size_t>(i)];
        tap = MakeTap(x, g.originX, g.scale, levelScale, g.PictureColumn(x), scene.picture->Width(),
                      picture.Width(), areas.width);
        if (tap.inside && tap.areaFirst <= tap.areaLast) {
            areaFrom = std::min(areaFrom, tap.areaFirst);
            areaTo = std::max(areaTo, tap.areaLast);
        }
    }
    // Each level row mixed across once and kept while the device rows still need it.
    std::vector<std::uint32_t> mixed[2];
    int mixedRow[2] = {-1, -1};
    auto mixAcross = [&](int levelRow) -> const std::uint32_t* {
        for (int k = 0; k < 2; ++k) {
            if (mixedRow[k] == levelRow) {
                return mixed[k].data();
            }
        }
        // Replace the older one: rows only grow downwards.
        const int k = mixedRow[0] < mixedRow[1] ? 0 : 1;
        mixed[k].resize(static_cast<std::size_t>(rect.width));
        const std::uint8_t* src = picture.Row(levelRow);
        std::uint32_t* out = mixed[k].data();
        for (int i = 0; i < rect.width; ++i) {
            const Tap& t = columns[static_cast<std::size_t>(i)];
            const std::uint32_t a = Packed(src + static_cast<std::size_t>(t.first) * 3);
            out[i] = t.weight == 0 ? a
                                   : Mix(a, Packed(src + static_cast<std::size_t>(t.second) * 3),
                                         static_cast<std::uint32_t>(t.weight));
        }
        mixedRow[k] = levelRow;
        return out;
    };

    // The palette as packed pixels.
    std::array<std::uint32_t, 256> tints{};
    for (int v = 0; v < 256; ++v) {
        const std::uint32_t c = (*scene.palette)[static_cast<std::size_t>(v)];
        tints[static_cast<std::size_t>(v)] = static_cast<std::uint32_t>(PaletteRed(c)) << 16 |
                                             static_cast<std::uint32_t>(PaletteGreen(c)) << 8 |
                                             PaletteBlue(c);
    }
    const int current = scene.currentArea;
    const bool everyArea = scene.mode == ViewMode::PictureAndMask;
    // Per level column of the area rows a device row spans: their value when they agree,
    // kMixed when they differ.
    constexpr std::uint16_t kMixed = 0x100;
    std::vector<std::uint16_t> across(areaTo >= areaFrom ? areaTo - areaFrom + 1 : 0);

    for (int y = rect.y; y < rect.Bottom(); ++y) {
        std::uint32_t* out = image.Row(y) + rect.x;
        const Tap row = MakeTap(y, g.originY, g.scale, levelScale, g.PictureRow(y),
                                scene.picture->Height(), picture.Height(), areas.height);
        if (!row.inside) {
            std::fill_n(out, rect.width, scene.background);
            continue;
        }
        const std::uint32_t* top = mixAcross(row.first);
        const std::uint32_t* bottom = mixAcross(row.second);
        const auto wy = static_cast<std::uint32_t>(row.weight);
        const bool areaRow = tinting && !across.empty() && row.areaFirst <= row.areaLast;
        const std::int64_t effectRow = g.PictureRow(y);
        const std::uint8_t* effectAreas = effects && effectRow < scene.map->Height()
                                              ? scene.map->Row(static_cast<int>(effectRow))
                                              : nullptr;
        if (areaRow) {
            for (int x = areaFrom; x <= areaTo; ++x) {
                const std::size_t at = static_cast<std::size_t>(x) * areas.step;
                const std::uint8_t v =
                    areas.data[static_cast<std::size_t>(row.areaFirst) * areas.stride + at];
                std::uint16_t agreed = v;
                for (int r = row.areaFirst + 1; r <= row.areaLast; ++r) {
                    if (areas.data[static_cast<std::size_t>(r) * areas.stride + at] != v) {
                        agreed = kMixed;
                    }
                }
                across[static_cast<std::size_t>(x - areaFrom)] = agreed;
            }
        }
        for (int i = 0; i < rect.width; ++i) {
            const Tap& column = columns[static_cast<std::size_t>(i)];
            if (!column.inside) {
                out[i] = scene.background;
                continue;
            }
            std::uint32_t pixel = wy == 0 ? top[i] : Mix(top[i], bottom[i], wy);
            if (effects) {
                const int at = effectColumns[static_cast<std::size_t>(i)];
                const std::uint8_t v =
                    effectAreas && at >= 0 ? effectAreas[static_cast<std::size_t>(at) * 3 + 2] : 0;
                pixel = effects->For(v).Apply(pixel);
            }
            if (areaRow && column.areaFirst <= column.areaLast) {
                // Most footprints lie inside one area; a footprint is at most three level
                // pixels across.
                const std::uint16_t* seen = across.data() + (column.areaFirst - areaFrom);
                const int span = column.areaLast - column.areaFirst;
                const std::uint16_t v = seen[0];
                if (v != kMixed && seen[span / 2] == v && seen[span] == v) {
                    if (everyArea ? v != 0 : v == current) {
                        pixel = HalfSum(pixel, tints[v]);
                    }
                } else {
                    std::uint8_t values[9];
                    int n = 0;
                    for (int ay = row.areaFirst; ay <= row.areaLast; ++ay) {
                        for (int ax = column.areaFirst; ax <= column.areaLast; ++ax) {
                            values[n++] = areas.At(ax, ay);
                        }
                    }
                    if (everyArea) {
                        const std::uint8_t area = ThinAreaOf(values, n);
                        if (area != 0) {
                            pixel = HalfSum(pixel, tints[area]);
                        }
                    } else if (std::find(values, values + n, current) != values + n) {
                        pixel = HalfSum(pixel, tints[static_cast<std::size_t>(current)]);
                    }
                }
            }
            out[i] = 0xFF000000u | pixel;
        }
    }
}

// A full repaint mixes every shown pixel: it is shared out over the cores; a brush segment's
// few pixels are not.
constexpr long long kBandMinPixels = 256 * 1024;

}  // namespace

void ViewportImage::Resize(int width, int height) {
    m_width = std::max(width, 0);
    m_height = std::max(height, 0);
    m_pixels.assign(static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height), 0);
}

int ViewLevelFor(double scale) {
    if (!(scale < kUnitScale)) {
        return 0;
    }
    const int level = static_cast<int>(std::floor(std::log2(1 / scale) + 1e-9));
    return std::clamp(level, 0, ViewPyramid::kLevels);
}

void ComposeViewport(const ViewScene& scene, const ViewGeometry& geometry, ViewportImage& image,
                     const Rect& deviceRect) {
    const Rect rect = deviceRect.Intersected({0, 0, image.Width(), image.Height()});
    if (rect.Empty()) {
        return;
    }
    if (!scene.picture || scene.picture->Empty() || !(geometry.scale > 0)) {
        FillBackground(image, rect, scene.background);
        return;
    }
    if (!(geometry.scale < kUnitScale)) {
        InRowBands(rect, kBandMinPixels,
                   [&](const Rect& band) { ComposeSharp(scene, geometry, image, band); });
        return;
    }
    const int level = scene.pyramid && scene.pyramid->HasPicture()
                          ? scene.pyramid->UsableLevel(ViewLevelFor(geometry.scale))
                          : 0;
    InRowBands(rect, kBandMinPixels,
               [&](const Rect& band) { ComposeFiltered(scene, geometry, image, band, level); });
}

Rect AffectedDeviceRect(const ViewGeometry& geometry, const Rect& pictureRect) {
    if (pictureRect.Empty()) {
        return {};
    }
    if (!(geometry.scale < kUnitScale)) {
        return geometry.DeviceRectOf(pictureRect);
    }
    // A device pixel mixes level pixels up to two away from its centre; a level pixel spans
    // 2^level picture pixels.
    const int margin = 3 << ViewLevelFor(geometry.scale);
    return geometry.DeviceRectOf({pictureRect.x - margin, pictureRect.y - margin,
                                  pictureRect.width + 2 * margin, pictureRect.height + 2 * margin});
}

}  // namespace velmora
