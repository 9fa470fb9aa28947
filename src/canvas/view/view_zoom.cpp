#include "canvas/view/view_zoom.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace velmora {

namespace {

// Steps closer than this count as the same zoom, so a fitted zoom a hair below a step still
// steps to it.
constexpr double kSameZoom = 1e-6;

constexpr std::array<double, 13> kSteps = {
    1.0 / 16, 1.0 / 8, 1.0 / 4, 1.0 / 3, 1.0 / 2, 2.0 / 3, 1, 1.5, 2, 3, 4, 8, 16,
};

}  // namespace

std::span<const double> ZoomSteps() {
    return kSteps;
}

double ZoomStepIn(double zoom) {
    for (const double step : kSteps) {
        if (step > zoom * (1 + kSameZoom)) {
            return step;
        }
    }
    return kMaxZoom;
}

double ZoomStepOut(double zoom) {
    for (std::size_t i = kSteps.size(); i-- > 0;) {
        if (kSteps[i] < zoom * (1 - kSameZoom)) {
            return kSteps[i];
        }
    }
    return kMinZoom;
}

double ClampZoom(double zoom) {
    if (!std::isfinite(zoom)) {
        return 1;
    }
    return std::clamp(zoom, kMinZoom, kMaxZoom);
}

double FitZoom(int pictureWidth, int pictureHeight, int viewWidth, int viewHeight) {
    if (pictureWidth <= 0 || pictureHeight <= 0 || viewWidth <= 0 || viewHeight <= 0) {
        return 1;
    }
    const double zoom = std::min(static_cast<double>(viewWidth) / pictureWidth,
                                 static_cast<double>(viewHeight) / pictureHeight);
    return ClampZoom(zoom);
}

std::string ZoomText(double zoom) {
    const double percent = ClampZoom(zoom) * 100;
    // Small zooms keep the decimals that tell them apart; the rest read as whole per cent.
    const int decimals = percent < 10 ? 2 : percent < 20 ? 1 : 0;
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, percent);
    std::string s = text;
    if (s.find('.') != std::string::npos) {
        s.erase(s.find_last_not_of('0') + 1);
        if (s.back() == '.') {
            s.pop_back();
        }
    }
    return s + " %";
}

}  // namespace velmora
