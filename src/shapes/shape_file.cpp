#include "shapes/shape_file.h"

#include <cmath>
#include <sstream>

#include "shapes/shape_source.h"
#include "store/errors.h"
#include "store/paths.h"

namespace velmora {

namespace {

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

std::string FormatNumber(double value) {
    std::ostringstream out;
    out << value;
    return out.str();
}

}  // namespace

void ShapeBudget::Add(ShapePoint point, const std::string& where) {
    for (const double v : {point.x, point.y}) {
        if (!std::isfinite(v)) {
            throw Error(m_label + ": " + where + ": координата не является числом.");
        }
        if (std::fabs(v) > kMaxShapeCoordinate) {
            throw Error(m_label + ": " + where + ": координата " + FormatNumber(v) +
                        " вне допустимых пределов (±10000000).");
        }
    }
    if (++m_points > kMaxShapePoints) {
        throw Error(m_label + ": " + where + ": слишком много точек (больше " +
                    std::to_string(kMaxShapePoints) + ").");
    }
}

void ShapeBudget::AddShape(const std::string& where) {
    if (++m_shapes > kMaxShapes) {
        throw Error(m_label + ": " + where + ": слишком много фигур (больше " +
                    std::to_string(kMaxShapes) + ").");
    }
}

ShapeFormat GuessShapeFormat(const std::string& path, std::string_view bytes) {
    if (const auto format = ShapeFormatOfPath(path)) {
        return *format;
    }
    std::string start(bytes.substr(0, 4096));
    if (start.starts_with("\xFF\xFE") || start.starts_with("\xFE\xFF")) {
        // UTF-16: the ASCII of the markup is every other byte.
        std::erase(start, '\0');
        bytes = start;
    }
    const std::size_t first = bytes.find_first_not_of(" \t\r\n\xEF\xBB\xBF\xFE\xFF");
    if (first != std::string_view::npos && (bytes[first] == '[' || bytes[first] == '{')) {
        return ShapeFormat::Json;
    }
    if (Lower(std::string(bytes.substr(0, 4096))).find("<svg") != std::string::npos) {
        return ShapeFormat::Svg;
    }
    return ShapeFormat::Html;
}

std::string NotFilledMessage(const ShapeFileContents& contents) {
    constexpr std::size_t kListed = 10;
    if (contents.notFilled.empty()) {
        return "";
    }
    std::string text = contents.label +
                       ": областями не стали элементы, которые не являются залитыми "
                       "фигурами: ";
    for (std::size_t i = 0; i < contents.notFilled.size() && i < kListed; ++i) {
        text += (i > 0 ? "; " : "") + contents.notFilled[i];
    }
    if (contents.notFilled.size() > kListed) {
        text += " и ещё " + std::to_string(contents.notFilled.size() - kListed);
    }
    return text + ".";
}

namespace {

ShapeFileContents ReadFrom(ShapeSource& source, ShapeFormat format, int pictureWidth,
                           int pictureHeight) {
    const std::string& label = source.Label();
    ShapeFileContents contents;
    switch (format) {
        case ShapeFormat::Html:
            contents.shapes = ReadHtmlShapes(source);
            break;
        case ShapeFormat::Svg:
            contents = ReadSvgShapes(source, pictureWidth, pictureHeight);
            break;
        case ShapeFormat::Json:
            contents.shapes = ReadJsonShapes(source);
            break;
    }
    contents.label = label;
    if (contents.shapes.empty()) {
        const std::string notFilled = NotFilledMessage(contents);
        throw Error(label + ": в файле нет ни одной фигуры." +
                    (notFilled.empty() ? "" : "\n" + notFilled));
    }
    return contents;
}

}  // namespace

ShapeFileContents ReadShapes(std::string_view bytes, ShapeFormat format, int pictureWidth,
                             int pictureHeight, const std::string& label) {
    ShapeSource source(bytes, label);
    return ReadFrom(source, format, pictureWidth, pictureHeight);
}

ShapeFileContents ReadShapeFile(const std::string& path, int pictureWidth, int pictureHeight) {
    // The size is checked on opening, before anything is read.
    ShapeSource source(path, ExtractName(path));
    const ShapeFormat format = GuessShapeFormat(path, source.Start());
    return ReadFrom(source, format, pictureWidth, pictureHeight);
}

}  // namespace velmora
