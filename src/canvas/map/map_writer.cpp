#include "canvas/map/map_writer.h"

namespace velmora {

void MapWriter::Span(int y, int x0, int x1) {
    std::uint8_t* p = m_map.Pixel(x0, y);
    int first = -1;
    int last = -1;
    int runStart = -1;
    for (int x = x0; x < x1; ++x, p += 3) {
        if ((m_overwrite || p[0] == 0) && (p[0] != m_value || p[1] != m_value || p[2] != m_value)) {
            p[0] = p[1] = p[2] = m_value;
            if (first < 0) {
                first = x;
            }
            if (runStart < 0) {
                runStart = x;
            }
            last = x;
        } else if (runStart >= 0) {
            if (m_changes) {
                m_changes->Mark(y, runStart, x);
            }
            runStart = -1;
        }
    }
    if (runStart >= 0 && m_changes) {
        m_changes->Mark(y, runStart, x1);
    }
    if (first >= 0) {
        m_changed = m_changed.United({first, y, last - first + 1, 1});
    }
}

}  // namespace velmora
