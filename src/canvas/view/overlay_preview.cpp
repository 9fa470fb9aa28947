#include "canvas/view/overlay_preview.h"

#include <algorithm>
#include <cstring>

#include "store/errors.h"
#include "store/files.h"
#include "store/image_file.h"
#include "store/store_messages.h"

namespace velmora {

void PasteOverlay(const Bitmap& picture, const Bitmap& overlay, std::int64_t x, std::int64_t y,
                  Bitmap& view) {
    view = picture;
    const std::int64_t left = std::max<std::int64_t>(x, 0);
    const std::int64_t top = std::max<std::int64_t>(y, 0);
    const std::int64_t right = std::min<std::int64_t>(x + overlay.Width(), picture.Width());
    const std::int64_t bottom = std::min<std::int64_t>(y + overlay.Height(), picture.Height());
    if (left >= right || top >= bottom) {
        return;
    }
    const auto bytes = static_cast<std::size_t>(right - left) * 3;
    for (std::int64_t row = top; row < bottom; ++row) {
        const std::uint8_t* src = overlay.Row(static_cast<int>(row - y)) + (left - x) * 3;
        std::memcpy(view.Row(static_cast<int>(row)) + left * 3, src, bytes);
    }
}

bool DrawOverlay(COMMON_DATA& data, int event, ViewMode mode, Bitmap& view) {
    if (!data.canvas.PictureLoaded || event < 0 || event >= kEventCount) {
        return false;
    }
    const ATTRIBUTES& record = data.records.Attributes[event];
    if (record.overlay_file_name.empty()) {
        return UpdateView(data, mode, view);
    }
    const std::string path = data.project.WorkFilePath("Pictures", record.overlay_file_name);
    if (path.empty()) {
        data.UserPrompter().Message(msg::kBadFileName + record.overlay_file_name);
        return false;
    }
    if (!FileExists(path)) {
        return false;
    }
    Bitmap overlay;
    try {
        LoadImageFile(overlay, path, data.project.ProjectReadScope());
    } catch (const Error&) {
        // A file that cannot be decoded, or may not be read, previews as no overlay: the
        // preview runs on every refresh, so a message here would come back with each one.
        overlay = Bitmap();
    }
    PasteOverlay(data.canvas.Picture, overlay, record.overlay_x, record.overlay_y, view);
    return true;
}

}  // namespace velmora
