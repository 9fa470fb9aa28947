#include "canvas/history/stroke_recorder.h"

namespace velmora {

void StrokeRecorder::Press(std::int32_t x, std::int32_t y, int value) {
    m_history.BeginStep(value * 0x010101, m_data.BrushSize);
    m_history.AddPoint(x, y);
    m_surface.BeginStroke(x, y, value);
    m_moved = false;
    m_pressX = x;
    m_pressY = y;
}

Rect StrokeRecorder::Move(std::int32_t x, std::int32_t y) {
    if (!m_data.Painting) {
        return {};
    }
    m_moved = true;
    m_history.AddPoint(x, y);
    const Rect painted = m_surface.ContinueStroke(x, y);
    m_data.canvas.MapModified = true;
    return painted;
}

Rect StrokeRecorder::Release(ClickDab click) {
    const bool paintDab = click == ClickDab::Paint && m_data.Painting && !m_moved;
    const Rect dab = paintDab ? Move(m_pressX, m_pressY) : Rect{};
    m_surface.EndStroke();
    m_history.CloseStep();
    return dab;
}

}  // namespace velmora
