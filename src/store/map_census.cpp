#include "store/map_census.h"

#include <algorithm>
#include <new>

#include "store/errors.h"
#include "store/image_codecs.h"
#include "store/image_file.h"

namespace velmora {

namespace {

// The area number is the blue byte of each BGR pixel.
void CountRow(const std::uint8_t* row, int columns, AreaPixelCounts& counts) {
    for (int x = 0; x < columns; ++x, row += 3) {
        ++counts[row[0]];
    }
}

}  // namespace

bool CountAreaPixels(const std::string& mapPath, int width, int height, AreaPixelCounts& counts,
                     const ReadScope& scope) {
    counts.fill(0);
    // Absent as for LoadImageFile.
    if (!EntryExists(mapPath) || FolderExists(mapPath)) {
        return false;
    }
    const ImageFormat format = FormatOfPath(mapPath);
    if (format == ImageFormat::Unknown) {
        return false;
    }
    if (format == ImageFormat::Png) {
        InputFile input(mapPath, scope);
        int columns = 0;
        int rows = 0;
        try {
            const bool streamed = codec::StreamPngRows(
                input,
                [&](int mapWidth, int mapHeight) {
                    columns = std::min(width, mapWidth);
                    rows = std::min(height, mapHeight);
                },
                [&](int y, const std::uint8_t* row) {
                    if (y < rows) {
                        CountRow(row, columns, counts);
                    }
                });
            if (streamed) {
                return true;
            }
        } catch (const codec::ImageDefect& defect) {
            counts.fill(0);
            throw ImageError("Не удалось прочитать изображение " + mapPath + ": " + defect.what());
        } catch (const std::bad_alloc&) {
            counts.fill(0);
            throw ImageError("Не удалось прочитать изображение " + mapPath +
                             ": недостаточно памяти");
        }
    }
    Bitmap map;
    LoadImageFile(map, mapPath, scope);
    const int columns = std::min(width, map.Width());
    const int rows = std::min(height, map.Height());
    for (int y = 0; y < rows; ++y) {
        CountRow(map.Row(y), columns, counts);
    }
    return true;
}

}  // namespace velmora
