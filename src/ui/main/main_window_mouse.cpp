// The main window's mouse: coordinate picking with Ctrl, painting and erasing with the left
// and right buttons, area picking with the middle button, and the status read-outs.
#include <QLabel>

#include "canvas/history/draw_history.h"
#include "store/common_data.h"
#include "ui/areas/areas_window.h"
#include "ui/common/text.h"
#include "ui/main/editor.h"
#include "ui/main/main_window.h"

namespace velmora {

void TForm1::ImageMouseDown(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x,
                            int y) {
    COMMON_DATA& data = *m_data;
    DRAW_HISTORY& history = m_editor.History();
    if (modifiers & Qt::ControlModifier) {
        if (buttons & Qt::LeftButton) {
            m_editor.Form4().EnterCoordinates(Qt::LeftButton, x, y);
        } else if (buttons & Qt::RightButton) {
            m_editor.Form4().EnterCoordinates(Qt::RightButton, x, y);
        }
        return;
    }
    if (buttons & Qt::LeftButton) {
        if (data.AreaCount == 0) {
            return;
        }
        const int n = data.CurrentArea;
        history.BeginStep(n * 0x010101, data.BrushSize);
        history.AddPoint(x, y);
        m_areaMap->BeginStroke(x, y, n);
    } else if (buttons & Qt::RightButton) {
        history.BeginStep(0, data.BrushSize);
        history.AddPoint(x, y);
        m_areaMap->BeginStroke(x, y, 0);
    } else if (buttons & Qt::MiddleButton) {
        data.Painting = false;
        const int v = m_areaMap->AreaAt(x, y);
        if (v == 0) {
            return;
        }
        data.CurrentArea = v;
        m_editor.Form4().SelectAreaByName(Q(data.AreaNames[v]));
    }
}

void TForm1::ImageMouseMove(Qt::MouseButtons buttons, int x, int y) {
    COMMON_DATA& data = *m_data;
    if (!data.PictureLoaded) {
        return;
    }
    m_pointer = PicturePoint{x, y};
    RefreshStatusBar();
    if (data.Painting && (buttons & (Qt::LeftButton | Qt::RightButton))) {
        m_editor.History().AddPoint(x, y);
        UpdateView(m_areaMap->ContinueStroke(x, y));
        data.MapModified = true;
    }
}

void TForm1::ImageMouseUp() {
    m_areaMap->EndStroke();
    m_editor.History().CloseStep();
    RefreshModifiedMark();
}

}  // namespace velmora
