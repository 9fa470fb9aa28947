#include "canvas/view/status_readout.h"

#include "canvas/map/map_ops.h"
#include "store/common_data.h"

namespace velmora {

StatusReadout ReadStatus(const COMMON_DATA& data, std::optional<PicturePoint> pointer) {
    StatusReadout readout;
    if (!data.ProjectOpen || !data.PictureLoaded) {
        return readout;
    }
    readout.size =
        "Размеры изображения: " + std::to_string(data.Width) + "x" + std::to_string(data.Height);
    if (!pointer || pointer->x < 0 || pointer->y < 0 || pointer->x >= data.Width ||
        pointer->y >= data.Height) {
        return readout;
    }
    readout.coordinates =
        "Текущие координаты: " + std::to_string(pointer->x) + "," + std::to_string(pointer->y);
    const int v = AreaAt(data.Map, pointer->x, pointer->y);
    if (v != 0 && !data.AreaNames[v].empty()) {
        readout.area = "  Область: " + data.AreaNames[v];
    }
    return readout;
}

bool HasUnsavedChanges(const COMMON_DATA& data) {
    return data.ProjectOpen && (data.MapModified || data.AttributesModified);
}

}  // namespace velmora
