#include "canvas/view/view_compose.h"

#include <algorithm>
#include <cstring>

namespace velmora {

ViewRowComposer::ViewRowComposer(const std::array<std::uint32_t, 256>& palette, ViewMode mode,
                                 int currentArea)
    : m_plain(mode == ViewMode::Picture ||
              (mode == ViewMode::PictureAndCurrentArea && (currentArea < 1 || currentArea > 255))) {
    const auto tint = [&](int v) {
        m_patterns[v] = MakeTintPattern(palette[v]);
        m_tints[v] = &m_patterns[v];
    };
    if (mode == ViewMode::PictureAndMask) {
        for (int v = 1; v < 256; ++v) {
            tint(v);
        }
    } else if (!m_plain) {
        tint(currentArea);
    }
}

void ViewRowComposer::ComposeTinted(const std::uint8_t* src, const Bitmap& map, int y, int x0,
                                    int x1, std::uint8_t* dst) const {
    ComposeTintedRow(m_kernel, src, map.Row(y), map.Width(), x0, x1, m_tints, dst);
}

void ViewRowComposer::Compose(const Bitmap& picture, const Bitmap& map, int y, int x0, int x1,
                              std::uint8_t* dst) const {
    if (x1 <= x0) {
        return;
    }
    const std::uint8_t* src = picture.Row(y);
    if (m_plain || y >= map.Height()) {
        std::memcpy(dst, src + static_cast<std::size_t>(x0) * 3,
                    static_cast<std::size_t>(x1 - x0) * 3);
        return;
    }
    ComposeTinted(src, map, y, x0, x1, dst);
}

void ViewRowComposer::Compose(const Bitmap& picture, const Bitmap& map,
                              const EffectPreview& effects, int y, int x0, int x1,
                              std::vector<std::uint8_t>& row, std::uint8_t* dst) const {
    if (x1 <= x0) {
        return;
    }
    row.resize(static_cast<std::size_t>(picture.Width()) * 3);
    std::uint8_t* changed = row.data();
    const std::size_t from = static_cast<std::size_t>(x0) * 3;
    std::memcpy(changed + from, picture.Row(y) + from, static_cast<std::size_t>(x1 - x0) * 3);
    // Pixels beyond the map belong to no area.
    const std::uint8_t* mapRow = y < map.Height() ? map.Row(y) : nullptr;
    const int mapEnd = mapRow ? std::clamp(map.Width(), x0, x1) : x0;
    int x = x0;
    while (x < mapEnd) {
        const std::uint8_t v = mapRow[static_cast<std::size_t>(x) * 3 + 2];
        int end = x + 1;
        while (end < mapEnd && mapRow[static_cast<std::size_t>(end) * 3 + 2] == v) {
            ++end;
        }
        effects.For(v).Apply(changed + static_cast<std::size_t>(x) * 3,
                             static_cast<std::size_t>(end - x));
        x = end;
    }
    effects.For(0).Apply(changed + static_cast<std::size_t>(x) * 3,
                         static_cast<std::size_t>(x1 - x));
    if (m_plain || !mapRow) {
        std::memcpy(dst, changed + from, static_cast<std::size_t>(x1 - x0) * 3);
        return;
    }
    ComposeTinted(changed, map, y, x0, x1, dst);
}

void ComposeView(const Bitmap& picture, const Bitmap& map,
                 const std::array<std::uint32_t, 256>& palette, ViewMode mode, int currentArea,
                 Bitmap& view, const Rect& rect) {
    Rect area = rect.Intersected({0, 0, picture.Width(), picture.Height()});
    if (view.Width() != picture.Width() || view.Height() != picture.Height()) {
        view.Resize(picture.Width(), picture.Height());
        area = {0, 0, picture.Width(), picture.Height()};
    }
    if (area.Empty()) {
        return;
    }
    const ViewRowComposer composer(palette, mode, currentArea);
    for (int y = area.y; y < area.Bottom(); ++y) {
        composer.Compose(picture, map, y, area.x, area.Right(), view.Pixel(area.x, y));
    }
}

bool UpdateView(const COMMON_DATA& data, ViewMode mode, Bitmap& view) {
    if (!data.canvas.PictureLoaded) {
        return false;
    }
    const Bitmap& picture = data.canvas.Picture;
    if (view.Width() != picture.Width() || view.Height() != picture.Height()) {
        view.Resize(picture.Width(), picture.Height());
    }
    ComposeView(picture, data.canvas.Map, data.areas.Palette, mode, data.areas.CurrentArea, view,
                {0, 0, picture.Width(), picture.Height()});
    return true;
}

bool UpdateView(const COMMON_DATA& data, ViewMode mode, Bitmap& view, const Rect& rect) {
    if (!data.canvas.PictureLoaded) {
        return false;
    }
    if (view.Width() != data.canvas.Picture.Width() ||
        view.Height() != data.canvas.Picture.Height()) {
        return UpdateView(data, mode, view);
    }
    ComposeView(data.canvas.Picture, data.canvas.Map, data.areas.Palette, mode,
                data.areas.CurrentArea, view, rect);
    return true;
}

}  // namespace velmora
