#include "canvas/map/picture_replace.h"

#include "canvas/map/area_presence.h"
#include "store/common_data.h"

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

std::string ReplacePictureQuestion(int paintedAreas) {
    return "Открыть новое изображение? Карта областей станет пустой: нарисованные пиксели "
           "потеряют области (" +
           std::to_string(paintedAreas) + "). Отменить это будет нельзя.";
}

bool ConfirmPictureReplace(COMMON_DATA& data) {
    const int painted = PaintedAreaCount(data);
    if (painted == 0) {
        return true;
    }
    return data.UserPrompter().AskSafely(ReplacePictureQuestion(painted), kConfirmCaption,
                                         Buttons::YesNo) == Answer::Yes;
}

}  // namespace velmora
