#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "canvas/map/polygon_raster.h"
#include "shapes/shape_format.h"

namespace velmora {

// One shape read from a markup file: its rings in picture pixels, how they are filled, and
// the name the file gives it (empty when none). A hole (an image map's <area nohref>, a JSON
// shape with "hole": true) makes an area of nothing: it only keeps later shapes off its pixels.
// A region that cuts a shape (an SVG clip path, the viewport of a symbol): the union of its
// parts, each its rings filled by its rule.
struct ShapeClipPart {
    FillRule rule = FillRule::NonZero;
    std::vector<ShapeRing> rings;
};
using ShapeClip = std::vector<ShapeClipPart>;

struct ImportedShape {
    std::string name;
    bool hole = false;
    FillRule rule = FillRule::NonZero;
    std::vector<ShapeRing> rings;
    std::vector<ShapeClip> clips;  // the shape keeps only the pixels inside every one
};

// What a markup file gives: its shapes, and the drawn elements that are no filled shape
// (an SVG's lines, texts, images, and uses that refer to nothing or in a circle), each as
// "строка N: <name>" with what is wrong, so that none is left out without a word.
struct ShapeFileContents {
    std::vector<ImportedShape> shapes;
    std::vector<std::string> notFilled;
    std::string label;  // the file's name as the messages show it
};

// The one message that lists contents.notFilled; empty when there is none.
std::string NotFilledMessage(const ShapeFileContents& contents);

// Limits that keep a hostile file from taking the machine: beyond them the file is refused.
inline constexpr std::size_t kMaxShapeFileBytes = 128u << 20;
inline constexpr std::size_t kMaxShapePoints = 4'000'000;
// Each shape costs a few hundred bytes beside its points: a million tiny ones would take more
// than the points of the largest allowed shape.
inline constexpr std::size_t kMaxShapes = 250'000;
inline constexpr std::size_t kMaxPathCommands = 1'000'000;
inline constexpr double kMaxShapeCoordinate = 10'000'000.0;

// The format by the file's extension (ShapeFormatOfPath), else by its first bytes (UTF-16
// with a byte-order mark included).
ShapeFormat GuessShapeFormat(const std::string& path, std::string_view bytes);

// Every shape of the file, in file order. A file that cannot be read as a whole (broken
// markup, a bad number, a polygon of fewer than 3 points, a coordinate beyond
// kMaxShapeCoordinate, too many points) throws Error naming the file, the line or element and
// what is wrong; so does a NUL character anywhere, and a file over kMaxShapeFileBytes before
// any of it is read. label is the file's name as the messages show it.
ShapeFileContents ReadShapes(std::string_view bytes, ShapeFormat format, int pictureWidth,
                             int pictureHeight, const std::string& label);
ShapeFileContents ReadShapeFile(const std::string& path, int pictureWidth, int pictureHeight);

// The readers of each kind, reading their source a piece at a time; used through ReadShapes.
class ShapeSource;
std::vector<ImportedShape> ReadHtmlShapes(ShapeSource& source);
ShapeFileContents ReadSvgShapes(ShapeSource& source, int pictureWidth, int pictureHeight);
std::vector<ImportedShape> ReadJsonShapes(ShapeSource& source);

// Counts the points of all shapes against kMaxShapePoints and checks each coordinate.
class ShapeBudget {
public:
    explicit ShapeBudget(std::string label) : m_label(std::move(label)) {}
    // Throws Error "label: where: ..." for a coordinate that is not a finite number within
    // kMaxShapeCoordinate or when the points run over the limit.
    void Add(ShapePoint point, const std::string& where);
    // Counts one more shape; throws Error when they run over kMaxShapes.
    void AddShape(const std::string& where);

private:
    std::string m_label;
    std::size_t m_points = 0;
    std::size_t m_shapes = 0;
};

}  // namespace velmora
