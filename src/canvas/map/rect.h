#pragma once

#include <algorithm>

namespace velmora {

// A rectangle of map or view pixels; what a painting call touched and what a view update
// recomposes. Empty when width or height is not positive.
struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool Empty() const { return width <= 0 || height <= 0; }
    int Right() const { return x + width; }
    int Bottom() const { return y + height; }

    // The smallest rectangle holding both; an empty side is ignored.
    Rect United(const Rect& other) const {
        if (other.Empty()) {
            return *this;
        }
        if (Empty()) {
            return other;
        }
        const int left = std::min(x, other.x);
        const int top = std::min(y, other.y);
        return {left, top, std::max(Right(), other.Right()) - left,
                std::max(Bottom(), other.Bottom()) - top};
    }

    Rect Intersected(const Rect& other) const {
        const int left = std::max(x, other.x);
        const int top = std::max(y, other.y);
        const int right = std::min(Right(), other.Right());
        const int bottom = std::min(Bottom(), other.Bottom());
        if (right <= left || bottom <= top) {
            return {};
        }
        return {left, top, right - left, bottom - top};
    }

    friend bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace velmora
