// Reads arbitrary bytes as a markup file of shapes and imports what it reads into a small
// map: the first byte picks HTML ('h'), SVG ('s') or JSON (anything else).
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string_view>
#include <vector>

#include "shapes/shape_file.h"
#include "shapes/shape_import.h"
#include "store/errors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmora;
    if (size == 0) {
        return 0;
    }
    const ShapeFormat kind = data[0] == 'h'   ? ShapeFormat::Html
                             : data[0] == 's' ? ShapeFormat::Svg
                                              : ShapeFormat::Json;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    try {
        const ShapeFileContents contents = ReadShapes(bytes, kind, 64, 48, "fuzz");
        NotFilledMessage(contents);
        Bitmap map(64, 48);
        PaintShapes(map, contents.shapes, std::vector<int>(contents.shapes.size(), 1));
    } catch (const Error&) {
        // Refused with a message: the expected end for a broken file.
    }
    return 0;
}
