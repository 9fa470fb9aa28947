#include "shapes/shape_file.h"

#include <cmath>
#include <fstream>
#include <sstream>

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

ShapeFormat GuessShapeFormat(const std::string& path, std::string_view bytes) {
    if (const auto format = ShapeFormatOfPath(path)) {
        return *format;
    }
    const std::size_t first = bytes.find_first_not_of(" \t\r\n\xEF\xBB\xBF");
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

ShapeFileContents ReadShapes(std::string_view bytes, ShapeFormat format, int pictureWidth,
                             int pictureHeight, const std::string& label) {
    ShapeFileContents contents;
    switch (format) {
        case ShapeFormat::Html:
            contents.shapes = ReadHtmlShapes(bytes, label);
            break;
        case ShapeFormat::Svg:
            contents = ReadSvgShapes(bytes, pictureWidth, pictureHeight, label);
            break;
        case ShapeFormat::Json:
            contents.shapes = ReadJsonShapes(bytes, label);
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

ShapeFileContents ReadShapeFile(const std::string& path, int pictureWidth, int pictureHeight) {
    const std::string label = ExtractName(path);
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw Error("Не удаётся открыть файл разметки: " + path);
    }
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0 || static_cast<std::uint64_t>(size) > kMaxShapeFileBytes) {
        throw Error(label + ": файл разметки слишком велик (больше 128 МБ).");
    }
    in.seekg(0);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (!in.read(bytes.data(), size)) {
        throw Error("Не удаётся прочитать файл разметки: " + path);
    }
    return ReadShapes(bytes, GuessShapeFormat(path, bytes), pictureWidth, pictureHeight, label);
}

}  // namespace velmora
