#include "canvas/view/status_readout.h"

#include "canvas/map/map_ops.h"
#include "store/common_data.h"

namespace velmora {

StatusReadout ReadStatus(const COMMON_DATA& data, std::optional<PicturePoint> pointer) {
    StatusReadout readout;
    if (!data.project.ProjectOpen || !data.canvas.PictureLoaded) {
        return readout;
    }
    readout.size = "Размеры изображения: " + std::to_string(data.canvas.Width) + "x" +
                   std::to_string(data.canvas.Height);
    if (!pointer || pointer->x < 0 || pointer->y < 0 || pointer->x >= data.canvas.Width ||
        pointer->y >= data.canvas.Height) {
        return readout;
    }
    readout.coordinates =
        "Текущие координаты: " + std::to_string(pointer->x) + "," + std::to_string(pointer->y);
    const int v = AreaAt(data.canvas.Map, pointer->x, pointer->y);
    if (v != 0 && !data.areas.AreaNames[v].empty()) {
        readout.area = "  Область: " + data.areas.AreaNames[v];
    }
    return readout;
}

bool HasUnsavedChanges(const COMMON_DATA& data) {
    return data.project.ProjectOpen && (data.canvas.MapModified || data.records.AttributesModified);
}

}  // namespace velmora
