#include "canvas/map/picture_replace.h"

#include "canvas/map/area_presence.h"
#include "store/common_data.h"
#include "store/errors.h"
#include "store/files.h"
#include "store/image_size.h"
#include "store/map_census.h"

namespace velmora {

int PaintedAreaCount(const COMMON_DATA& data) {
    const Bitmap& map = data.canvas.Map;
    if (!data.canvas.PictureLoaded || map.Width() <= 0 || map.Height() <= 0) {
        return 0;
    }
    const AreaPresence present = AreasOnMap(map);
    int count = 0;
    for (int number = 1; number <= kMaxAreas; ++number) {
        count += present[number] && !data.areas.AreaNames[number].empty() ? 1 : 0;
    }
    return count;
}

int PaintedAreaCountInMapFile(COMMON_DATA& data) {
    if (!data.LoadPictureRecord()) {
        return 0;
    }
    const std::string picturePath =
        data.project.WorkFilePath("Images", data.canvas.PictureFileName);
    const std::string mapPath = data.project.WorkFilePath("Maps", data.canvas.MapFileName);
    if (picturePath.empty() || mapPath.empty()) {
        return 0;
    }
    const ReadScope scope = data.project.ProjectReadScope();
    const std::optional<ImageSize> size = ReadImageSize(picturePath, scope);
    if (!size) {
        if (!EntryExists(picturePath)) {
            return 0;
        }
        throw ImageError("Не удалось прочитать изображение " + picturePath +
                         ": заголовок повреждён");
    }
    // A committed change whose map has not been renamed yet: its staged map is the map.
    AreaPixelCounts pixels{};
    const std::string current = data.CurrentMapPath();
    if (!CountAreaPixels(current, size->width, size->height, pixels, scope) &&
        (current == mapPath ||
         !CountAreaPixels(mapPath, size->width, size->height, pixels, scope))) {
        return 0;
    }
    int count = 0;
    for (int number = 1; number <= kMaxAreas; ++number) {
        count += pixels[number] > 0 && !data.areas.AreaNames[number].empty() ? 1 : 0;
    }
    return count;
}

std::string ReplacePictureQuestion(int paintedAreas) {
    return "Открыть новое изображение? Карта областей станет пустой: нарисованные пиксели "
           "потеряют области (" +
           std::to_string(paintedAreas) + "). Отменить это будет нельзя.";
}

bool ConfirmPictureReplace(COMMON_DATA& data) {
    return ConfirmPictureReplace(data, PaintedAreaCount(data));
}

bool ConfirmPictureReplace(COMMON_DATA& data, int painted) {
    if (painted == 0) {
        return true;
    }
    return data.UserPrompter().AskSafely(ReplacePictureQuestion(painted), kConfirmCaption,
                                         Buttons::YesNo) == Answer::Yes;
}

}  // namespace velmora
