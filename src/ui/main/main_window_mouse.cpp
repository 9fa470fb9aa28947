// The main window's mouse: coordinate picking with Ctrl, painting and erasing with the left
// and right buttons, area picking with the middle button, and the status read-outs.
#include <QLabel>

#include "canvas/history/stroke_recorder.h"
#include "canvas/map/map_ops.h"
#include "store/common_data.h"
#include "ui/areas/areas_window.h"
#include "ui/common/text.h"
#include "ui/main/editor.h"
#include "ui/main/main_window.h"

namespace velmora {

void TForm1::ImageMouseDown(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x,
                            int y) {
    COMMON_DATA& data = *m_data;
    if (modifiers & Qt::ControlModifier) {
        if (buttons & Qt::LeftButton) {
            m_editor.AreasWindow().EnterCoordinates(Qt::LeftButton, x, y);
        } else if (buttons & Qt::RightButton) {
            m_editor.AreasWindow().EnterCoordinates(Qt::RightButton, x, y);
        }
        return;
    }
    // A project open for viewing is looked at: only the middle button's picking is left.
    if (data.ViewOnly() && !(buttons & Qt::MiddleButton)) {
        return;
    }
    if (buttons & Qt::LeftButton) {
        if (data.areas.AreaCount == 0) {
            return;
        }
        m_stroke->Press(x, y, data.areas.CurrentArea);
    } else if (buttons & Qt::RightButton) {
        m_stroke->Press(x, y, 0);
    } else if (buttons & Qt::MiddleButton) {
        data.Painting = false;
        const int v = AreaAt(data.canvas.Map, x, y);
        if (v == 0) {
            return;
        }
        data.areas.CurrentArea = v;
        m_editor.AreasWindow().SelectAreaByName(Q(data.areas.AreaNames[v]));
    }
}

void TForm1::ImageMouseMove(Qt::MouseButtons buttons, int x, int y) {
    COMMON_DATA& data = *m_data;
    if (!data.canvas.PictureLoaded) {
        return;
    }
    m_pointer = PicturePoint{x, y};
    RefreshStatusBar();
    if (data.Painting && (buttons & (Qt::LeftButton | Qt::RightButton))) {
        UpdateView(m_stroke->Move(x, y));
    }
}

void TForm1::ImageMouseUp() {
    // A click of the brush leaves a dab, as in every paint program.
    UpdateView(m_stroke->Release(StrokeRecorder::ClickDab::Paint));
    RefreshModifiedMark();
}

}  // namespace velmora
