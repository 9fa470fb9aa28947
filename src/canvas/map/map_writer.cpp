#include "canvas/map/map_writer.h"

namespace velmora {

void MapWriter::Span(int y, int x0, int x1) {
    // Copied out first: the pixel stores may alias any byte, members included.
    const std::uint8_t value = m_value;
    const bool overwrite = m_overwrite;
    ChangeMask* const changes = m_changes;
    std::uint8_t* p = m_map.Pixel(x0, y);
    int first = -1;
    int last = -1;
    int runStart = -1;
    for (int x = x0; x < x1; ++x, p += 3) {
        if ((overwrite || p[0] == 0) && (p[0] != value || p[1] != value || p[2] != value)) {
            p[0] = p[1] = p[2] = value;
            if (first < 0) {
                first = x;
            }
            if (runStart < 0) {
                runStart = x;
            }
            last = x;
        } else if (runStart >= 0) {
            if (changes) {
                changes->Mark(y, runStart, x);
            }
            runStart = -1;
        }
    }
    if (runStart >= 0 && changes) {
        changes->Mark(y, runStart, x1);
    }
    if (first >= 0) {
        m_changed = m_changed.United({first, y, last - first + 1, 1});
    }
}

}  // namespace velmora
