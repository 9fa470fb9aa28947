#pragma once

#include <span>
#include <string>

namespace velmora {

inline constexpr double kMinZoom = 1.0 / 16;
inline constexpr double kMaxZoom = 16;

// The zoom levels that zooming in and out steps through, smallest first: 6.25 % to 1600 %.
std::span<const double> ZoomSteps();
// The first step above zoom, or the largest zoom when there is none.
double ZoomStepIn(double zoom);
// The last step below zoom, or the smallest zoom when there is none.
double ZoomStepOut(double zoom);
double ClampZoom(double zoom);
// The largest zoom within the limits at which the whole picture fits in the viewport (sizes in
// the same unit); 1 while either size is empty.
double FitZoom(int pictureWidth, int pictureHeight, int viewWidth, int viewHeight);
// The zoom in per cent as the status bar shows it: "6.25 %", "12.5 %", "33 %", "1600 %".
std::string ZoomText(double zoom);

}  // namespace velmora
