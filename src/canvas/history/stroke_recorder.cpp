#include "canvas/history/stroke_recorder.h"

namespace velmora {

void StrokeRecorder::Press(std::int32_t x, std::int32_t y, int value) {
    m_history.BeginStep(value * 0x010101, m_data.BrushSize);
    m_history.AddPoint(x, y);
    m_surface.BeginStroke(x, y, value);
}

Rect StrokeRecorder::Move(std::int32_t x, std::int32_t y) {
    if (!m_data.Painting) {
        return {};
    }
    m_history.AddPoint(x, y);
    const Rect painted = m_surface.ContinueStroke(x, y);
    m_data.canvas.MapModified = true;
    return painted;
}

void StrokeRecorder::Release() {
    m_surface.EndStroke();
    m_history.CloseStep();
}

}  // namespace velmora
