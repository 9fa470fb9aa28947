#include "canvas/view/view_compose.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace velmora {

namespace {

constexpr std::uint64_t kEveryByte = 0x0101010101010101ULL;
#if !defined(__SSE2__)
constexpr std::uint64_t kHighSevenBits = 0xFEFEFEFEFEFEFEFEULL;
#endif
constexpr int kPatternBytes = 48;  // the pattern's period in whole blocks of sixteen pixels
using ColorPattern = TintPattern;

ColorPattern MakePattern(std::uint32_t color) {
    ColorPattern p{};
    const std::uint8_t channels[3] = {PaletteBlue(color), PaletteGreen(color), PaletteRed(color)};
    for (std::size_t i = 0; i < sizeof(p.bytes); ++i) {
        p.bytes[i] = channels[i % 3];
    }
    return p;
}

#if !defined(__SSE2__)
// Per byte: (a + b) / 2 rounded down, without carries between bytes.
std::uint64_t HalfSum(std::uint64_t a, std::uint64_t b) {
    return (a & b) + (((a ^ b) & kHighSevenBits) >> 1);
}
#endif

#if defined(__SSE2__)
// Sixteen bytes of src mixed with sixteen of the pattern into dst.
void Blend16(std::uint8_t* dst, const std::uint8_t* src, const std::uint8_t* pattern) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pattern));
    // The rounding-up average less the lost half gives the rounding-down one.
    const __m128i down =
        _mm_sub_epi8(_mm_avg_epu8(a, b), _mm_and_si128(_mm_xor_si128(a, b), _mm_set1_epi8(1)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), down);
}
#endif

void BlendBlock(std::uint8_t* dst, const std::uint8_t* src, const ColorPattern& pattern) {
#if defined(__SSE2__)
    for (int k = 0; k < kPatternBytes; k += 16) {
        Blend16(dst + k, src + k, pattern.bytes + k);
    }
#else
    for (int k = 0; k < kPatternBytes; k += 8) {
        std::uint64_t a;
        std::uint64_t b;
        std::memcpy(&a, src + k, 8);
        std::memcpy(&b, pattern.bytes + k, 8);
        a = HalfSum(a, b);
        std::memcpy(dst + k, &a, 8);
    }
#endif
}

void BlendRun(std::uint8_t* dst, const std::uint8_t* src, std::size_t pixels,
              const ColorPattern& pattern) {
    const std::size_t bytes = pixels * 3;
    std::size_t i = 0;
    for (; i + kPatternBytes <= bytes; i += kPatternBytes) {
        BlendBlock(dst + i, src + i, pattern);
    }
#if defined(__SSE2__)
    // The rest in windows of sixteen, the last one ending at the run's end and overlapping the
    // one before: mixing a byte again from src gives the same byte.
    if (i < bytes && bytes >= 16) {
        for (; i + 16 < bytes; i += 16) {
            Blend16(dst + i, src + i, pattern.bytes + i % kPatternBytes);
        }
        const std::size_t last = bytes - 16;
        Blend16(dst + last, src + last, pattern.bytes + last % kPatternBytes);
        return;
    }
#endif
    for (; i < bytes; ++i) {
        dst[i] = static_cast<std::uint8_t>((src[i] + pattern.bytes[i % kPatternBytes]) >> 1);
    }
}

// The first index in [begin, end) whose byte is not v; end when there is none.
std::size_t FindOtherByte(const std::uint8_t* p, std::size_t begin, std::size_t end,
                          std::uint8_t v) {
    std::size_t i = begin;
#if defined(__SSE2__)
    const __m128i same16 = _mm_set1_epi8(static_cast<char>(v));
    // Long runs are the rule (no area around the areas): 64 bytes are checked at once, and
    // the block that holds the end of the run is searched sixteen bytes at a time below.
    const auto equal16 = [&](std::size_t at) {
        return _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at)), same16);
    };
    for (; i + 64 <= end; i += 64) {
        const __m128i all = _mm_and_si128(_mm_and_si128(equal16(i), equal16(i + 16)),
                                          _mm_and_si128(equal16(i + 32), equal16(i + 48)));
        if (_mm_movemask_epi8(all) != 0xFFFF) {
            break;
        }
    }
    for (; i + 16 <= end; i += 16) {
        const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const unsigned equal = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(w, same16)));
        if (equal != 0xFFFFu) {
            return i + static_cast<std::size_t>(std::countr_zero(~equal));
        }
    }
#endif
    const std::uint64_t same = v * kEveryByte;
    for (; i + 8 <= end; i += 8) {
        std::uint64_t w;
        std::memcpy(&w, p + i, 8);
        const std::uint64_t diff = w ^ same;
        if (diff != 0) {
            if constexpr (std::endian::native == std::endian::little) {
                return i + static_cast<std::size_t>(std::countr_zero(diff) / 8);
            } else {
                return i + static_cast<std::size_t>(std::countl_zero(diff) / 8);
            }
        }
    }
    while (i < end && p[i] == v) {
        ++i;
    }
    return i;
}

// Composes pixels x0 .. x1 - 1 of a row; src and mapRow start at column 0, dst at column x0.
void ComposeRow(const std::uint8_t* src, const std::uint8_t* mapRow, int mapWidth, int x0, int x1,
                ViewMode mode, int currentArea, const ColorPattern* patterns, std::uint8_t* dst) {
    const int mapEnd = std::min(x1, mapWidth);
    // Untinted runs next to each other are copied in one go.
    int copyFrom = x0;
    auto copyUpTo = [&](int x) {
        if (x <= copyFrom) {
            return;
        }
        const std::size_t offset = static_cast<std::size_t>(copyFrom) * 3;
        std::memcpy(dst + offset - static_cast<std::size_t>(x0) * 3, src + offset,
                    static_cast<std::size_t>(x - copyFrom) * 3);
    };
    int x = x0;
    while (x < mapEnd) {
        const std::uint8_t* m = mapRow + static_cast<std::size_t>(x) * 3;
        const std::uint8_t v = m[2];
        int end = x + 1;
        // Painting writes one value into all three bytes, so a run of equal pixels is a run of
        // equal bytes and can be found sixteen bytes at a time.
        if (m[0] == v && m[1] == v) {
            const std::size_t other = FindOtherByte(mapRow, static_cast<std::size_t>(x) * 3 + 3,
                                                    static_cast<std::size_t>(mapEnd) * 3, v);
            end = static_cast<int>(other / 3);
        }
        const bool tinted = v != 0 && (mode == ViewMode::PictureAndMask || v == currentArea);
        if (tinted) {
            copyUpTo(x);
            const std::size_t offset = static_cast<std::size_t>(x) * 3;
            BlendRun(dst + offset - static_cast<std::size_t>(x0) * 3, src + offset,
                     static_cast<std::size_t>(end - x), patterns[v]);
            copyFrom = end;
        }
        x = end;
    }
    copyUpTo(x1);
}

}  // namespace

ViewRowComposer::ViewRowComposer(const std::array<std::uint32_t, 256>& palette, ViewMode mode,
                                 int currentArea)
    : m_mode(mode),
      m_currentArea(currentArea),
      m_plain(mode == ViewMode::Picture ||
              (mode == ViewMode::PictureAndCurrentArea && (currentArea < 1 || currentArea > 255))) {
    if (mode == ViewMode::PictureAndMask) {
        for (int v = 1; v < 256; ++v) {
            m_patterns[v] = MakePattern(palette[v]);
        }
    } else if (!m_plain) {
        m_patterns[currentArea] = MakePattern(palette[currentArea]);
    }
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
    ComposeRow(src, map.Row(y), map.Width(), x0, x1, m_mode, m_currentArea, m_patterns.data(), dst);
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
    ComposeRow(changed, mapRow, map.Width(), x0, x1, m_mode, m_currentArea, m_patterns.data(), dst);
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
