// Shapes from a JSON list: [{"name": "...", "points": [[x, y], ...], "hole": false}, ...].
#include <nlohmann/json.hpp>

#include "shapes/shape_file.h"
#include "store/errors.h"

namespace velmora {

namespace {

// Line and column (both from 1) of a byte offset, for parse errors.
std::string Position(std::string_view bytes, std::size_t offset) {
    offset = std::min(offset, bytes.size());
    std::size_t line = 1;
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < offset; ++i) {
        if (bytes[i] == '\n') {
            ++line;
            lineStart = i + 1;
        }
    }
    return "строка " + std::to_string(line) + ", позиция " + std::to_string(offset - lineStart + 1);
}

}  // namespace

std::vector<ImportedShape> ReadJsonShapes(std::string_view bytes, const std::string& label) {
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        bytes.remove_prefix(3);
    }
    nlohmann::json document;
    try {
        document = nlohmann::json::parse(bytes.begin(), bytes.end());
    } catch (const nlohmann::json::parse_error& e) {
        throw Error(label + ": " + Position(bytes, e.byte == 0 ? 0 : e.byte - 1) +
                    ": файл не читается как JSON.");
    } catch (const nlohmann::json::exception&) {
        // A number too large for any type, which the parser reports without a position.
        throw Error(label + ": файл не читается как JSON: число вне допустимых пределов.");
    }
    if (!document.is_array()) {
        throw Error(label +
                    ": ожидается список фигур [{\"name\": ..., \"points\": [[x, y], ...]}].");
    }
    ShapeBudget budget(label);
    std::vector<ImportedShape> shapes;
    for (std::size_t i = 0; i < document.size(); ++i) {
        const nlohmann::json& item = document[i];
        const std::string where = "фигура " + std::to_string(i + 1);
        if (!item.is_object()) {
            throw Error(label + ": " + where + ": ожидается объект с полем \"points\".");
        }
        ImportedShape shape;
        if (const auto name = item.find("name"); name != item.end() && !name->is_null()) {
            if (!name->is_string()) {
                throw Error(label + ": " + where + ": \"name\" должно быть строкой.");
            }
            shape.name = name->get<std::string>();
        }
        if (const auto hole = item.find("hole"); hole != item.end() && !hole->is_null()) {
            if (!hole->is_boolean()) {
                throw Error(label + ": " + where + ": \"hole\" должно быть true или false.");
            }
            shape.hole = hole->get<bool>();
        }
        const auto points = item.find("points");
        if (points == item.end() || !points->is_array()) {
            throw Error(label + ": " + where + ": нет списка точек \"points\".");
        }
        ShapeRing ring;
        for (std::size_t p = 0; p < points->size(); ++p) {
            const nlohmann::json& point = (*points)[p];
            const std::string at = where + ", точка " + std::to_string(p + 1);
            if (!point.is_array() || point.size() != 2 || !point[0].is_number() ||
                !point[1].is_number()) {
                throw Error(label + ": " + at + ": ожидается пара чисел [x, y].");
            }
            const ShapePoint xy{point[0].get<double>(), point[1].get<double>()};
            budget.Add(xy, at);
            ring.push_back(xy);
        }
        if (ring.size() < 3) {
            throw Error(label + ": " + where + ": многоугольнику нужно не меньше 3 точек, а их " +
                        std::to_string(ring.size()) + ".");
        }
        shape.rings.push_back(std::move(ring));
        shapes.push_back(std::move(shape));
    }
    return shapes;
}

}  // namespace velmora
