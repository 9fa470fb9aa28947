// Shapes from a JSON list: [{"name": "...", "points": [[x, y], ...], "hole": false}, ...],
// read as a stream of parser events so that a huge or deeply nested file is refused by its
// first bytes over a limit instead of after it is all in memory.
#include <nlohmann/json.hpp>

#include <streambuf>

#include "shapes/shape_file.h"
#include "shapes/shape_source.h"
#include "store/errors.h"

namespace velmora {

namespace {

using Json = nlohmann::json;

// How deep the values under keys the list does not use may nest.
constexpr int kMaxJsonDepth = 64;

// The source as the parser's stream, turned into UTF-8 when it is UTF-16 with a byte-order
// mark; remembers the last two pieces, so that the line and column of an error can be told.
class JsonStreamBuffer : public std::streambuf {
public:
    explicit JsonStreamBuffer(ShapeSource& source) : m_source(source) {
        const std::string_view start = source.Start();
        if (start.size() >= 2 && ((start[0] == '\xFF' && start[1] == '\xFE') ||
                                  (start[0] == '\xFE' && start[1] == '\xFF'))) {
            m_utf16 = true;
            m_bigEndian = start[0] == '\xFE';
        }
    }

    // "строка N, позиция M" of a byte offset into the text read so far.
    std::string Position(std::size_t offset) const {
        std::size_t line = m_previousLine;
        std::size_t lineStart = m_previousLineStart;
        std::size_t at = m_previousBase;
        if (offset < at) {
            offset = at;  // not kept any longer; cannot happen with the parser's one look-ahead
        }
        auto walk = [&](const std::string& piece, std::size_t base) {
            for (; at < offset && at - base < piece.size(); ++at) {
                if (piece[at - base] == '\n') {
                    ++line;
                    lineStart = at + 1;
                }
            }
        };
        walk(m_previous, m_previousBase);
        walk(m_current, m_previousBase + m_previous.size());
        return "строка " + std::to_string(line) + ", позиция " +
               std::to_string(offset - lineStart + 1);
    }

protected:
    int_type underflow() override {
        if (gptr() != nullptr && gptr() < egptr()) {
            return traits_type::to_int_type(*gptr());
        }
        // The piece before the previous one is forgotten: count its lines.
        for (const char c : m_previous) {
            ++m_previousBase;
            if (c == '\n') {
                ++m_previousLine;
                m_previousLineStart = m_previousBase;
            }
        }
        m_previous = std::move(m_current);
        m_current.clear();
        while (m_current.empty()) {
            char raw[1 << 16];
            const std::size_t size = m_source.Read(raw, sizeof raw);
            if (size == 0) {
                return traits_type::eof();
            }
            if (m_utf16) {
                AppendUtf16(raw, size);
            } else {
                m_current.assign(raw, size);
            }
        }
        char* begin = m_current.data();
        setg(begin, begin, begin + m_current.size());
        return traits_type::to_int_type(*gptr());
    }

private:
    void AppendUtf8(std::uint32_t c) {
        if (c < 0x80) {
            m_current += static_cast<char>(c);
        } else if (c < 0x800) {
            m_current += static_cast<char>(0xC0 | (c >> 6));
            m_current += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            m_current += static_cast<char>(0xE0 | (c >> 12));
            m_current += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            m_current += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            m_current += static_cast<char>(0xF0 | (c >> 18));
            m_current += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            m_current += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            m_current += static_cast<char>(0x80 | (c & 0x3F));
        }
    }

    void AppendUtf16(const char* raw, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i) {
            const auto byte = static_cast<unsigned char>(raw[i]);
            if (m_pendingByte < 0) {
                m_pendingByte = byte;
                continue;
            }
            const std::uint32_t unit =
                m_bigEndian ? (static_cast<std::uint32_t>(m_pendingByte) << 8) | byte
                            : (static_cast<std::uint32_t>(byte) << 8) | m_pendingByte;
            m_pendingByte = -1;
            if (!m_markSkipped) {
                m_markSkipped = true;
                continue;  // the byte-order mark itself
            }
            if (unit >= 0xD800 && unit < 0xDC00) {
                m_highSurrogate = unit;
                continue;
            }
            if (unit >= 0xDC00 && unit < 0xE000 && m_highSurrogate != 0) {
                AppendUtf8(0x10000 + ((m_highSurrogate - 0xD800) << 10) + (unit - 0xDC00));
            } else {
                // A lone surrogate becomes U+FFFD, which the parser takes as any character.
                AppendUtf8(unit >= 0xD800 && unit < 0xE000 ? 0xFFFD : unit);
            }
            m_highSurrogate = 0;
        }
    }

    ShapeSource& m_source;
    bool m_utf16 = false;
    bool m_bigEndian = false;
    bool m_markSkipped = false;
    int m_pendingByte = -1;
    std::uint32_t m_highSurrogate = 0;
    std::string m_current;
    std::string m_previous;
    std::size_t m_previousBase = 0;  // offset of m_previous's first byte
    std::size_t m_previousLine = 1;  // the line it starts on
    std::size_t m_previousLineStart = 0;
};

// Builds the shapes as the parser reports the values, refusing a wrong one at once.
class ShapeListReader : public nlohmann::json_sax<Json> {
public:
    ShapeListReader(const std::string& label, const JsonStreamBuffer& buffer)
        : m_label(label), m_buffer(buffer), m_budget(label) {}

    std::vector<ImportedShape> Shapes() { return std::move(m_shapes); }

    bool null() override { return Scalar(Value::Null); }
    bool boolean(bool value) override {
        m_bool = value;
        return Scalar(Value::Boolean);
    }
    bool number_integer(number_integer_t value) override {
        return Number(static_cast<double>(value));
    }
    bool number_unsigned(number_unsigned_t value) override {
        return Number(static_cast<double>(value));
    }
    bool number_float(number_float_t value, const string_t&) override { return Number(value); }
    bool string(string_t& value) override {
        m_string = std::move(value);
        return Scalar(Value::String);
    }
    bool binary(binary_t&) override { return Scalar(Value::Other); }

    bool start_object(std::size_t) override { return Open(Value::Object); }
    bool key(string_t& name) override {
        if (m_skipDepth == 0 && m_state == State::Shape) {
            m_key = name == "name"     ? Key::Name
                    : name == "hole"   ? Key::Hole
                    : name == "points" ? Key::Points
                                       : Key::Other;
        }
        return true;
    }
    bool end_object() override {
        if (m_skipDepth > 0) {
            --m_skipDepth;
            return true;
        }
        // The shape ends.
        if (!m_hasPoints) {
            Fail(Where() + ": нет списка точек \"points\".");
        }
        if (m_shape.rings[0].size() < 3) {
            Fail(Where() + ": многоугольнику нужно не меньше 3 точек, а их " +
                 std::to_string(m_shape.rings[0].size()) + ".");
        }
        m_budget.AddShape(Where());
        m_shapes.push_back(std::move(m_shape));
        m_state = State::List;
        return true;
    }
    bool start_array(std::size_t) override { return Open(Value::Array); }
    bool end_array() override {
        if (m_skipDepth > 0) {
            --m_skipDepth;
            return true;
        }
        switch (m_state) {
            case State::List:
                m_state = State::Done;
                break;
            case State::Points:
                m_state = State::Shape;
                break;
            case State::Point: {
                if (m_coordinates != 2) {
                    Fail(PointWhere() + ": ожидается пара чисел [x, y].");
                }
                const ShapePoint xy{m_xy[0], m_xy[1]};
                m_budget.Add(xy, PointWhere());
                m_shape.rings[0].push_back(xy);
                m_state = State::Points;
                break;
            }
            default:
                break;
        }
        return true;
    }

    bool parse_error(std::size_t position, const std::string&,
                     const nlohmann::detail::exception& error) override {
        if (error.id == 406) {
            // A number too large for any type.
            Fail("файл не читается как JSON: число вне допустимых пределов.");
        }
        Fail(m_buffer.Position(position == 0 ? 0 : position - 1) + ": файл не читается как JSON.");
        return false;
    }

private:
    enum class Value { Null, Boolean, Number, String, Array, Object, Other };
    // Where the next value goes: the document itself, an item of the list, a value of a
    // shape's key, a point of its list, a coordinate of a point.
    enum class State { Top, List, Shape, Points, Point, Done };
    enum class Key { Name, Hole, Points, Other };

    [[noreturn]] void Fail(const std::string& what) const { throw Error(m_label + ": " + what); }

    std::string Where() const { return "фигура " + std::to_string(m_shapes.size() + 1); }
    std::string PointWhere() const {
        return Where() + ", точка " + std::to_string(m_shape.rings[0].size() + 1);
    }

    bool Number(double value) {
        if (m_skipDepth == 0 && m_state == State::Point) {
            if (m_coordinates < 2) {
                m_xy[m_coordinates] = value;
            }
            ++m_coordinates;
            return true;
        }
        return Scalar(Value::Number);
    }

    // A value that is no array or object.
    bool Scalar(Value value) {
        if (m_skipDepth > 0) {
            return true;
        }
        switch (m_state) {
            case State::Top:
                Fail("ожидается список фигур [{\"name\": ..., \"points\": [[x, y], ...]}].");
            case State::List:
                Fail(Where() + ": ожидается объект с полем \"points\".");
            case State::Shape:
                ShapeValue(value);
                break;
            case State::Points:
                Fail(PointWhere() + ": ожидается пара чисел [x, y].");
            case State::Point:
                Fail(PointWhere() + ": ожидается пара чисел [x, y].");
            case State::Done:
                break;
        }
        return true;
    }

    void ShapeValue(Value value) {
        switch (m_key) {
            case Key::Name:
                if (value == Value::String) {
                    m_shape.name = std::move(m_string);
                } else if (value != Value::Null) {
                    Fail(Where() + ": \"name\" должно быть строкой.");
                }
                break;
            case Key::Hole:
                if (value == Value::Boolean) {
                    m_shape.hole = m_bool;
                } else if (value != Value::Null) {
                    Fail(Where() + ": \"hole\" должно быть true или false.");
                }
                break;
            case Key::Points:
                if (value != Value::Array) {
                    Fail(Where() + ": нет списка точек \"points\".");
                }
                m_hasPoints = true;
                m_shape.rings[0].clear();
                m_state = State::Points;
                break;
            case Key::Other:
                if (value == Value::Array || value == Value::Object) {
                    Skip();
                }
                break;
        }
    }

    void Skip() {
        if (++m_skipDepth > kMaxJsonDepth) {
            Fail(Where() + ": значения вложены глубже " + std::to_string(kMaxJsonDepth) +
                 " уровней.");
        }
    }

    bool Open(Value value) {
        if (m_skipDepth > 0) {
            Skip();
            return true;
        }
        switch (m_state) {
            case State::Top:
                if (value != Value::Array) {
                    Scalar(value);
                }
                m_state = State::List;
                break;
            case State::List:
                if (value != Value::Object) {
                    Scalar(value);
                }
                m_shape = ImportedShape();
                m_shape.rings.emplace_back();
                m_hasPoints = false;
                m_key = Key::Other;
                m_state = State::Shape;
                break;
            case State::Shape:
                ShapeValue(value);
                break;
            case State::Points:
                if (value != Value::Array) {
                    Scalar(value);
                }
                m_coordinates = 0;
                m_state = State::Point;
                break;
            case State::Point:
                Fail(PointWhere() + ": ожидается пара чисел [x, y].");
            case State::Done:
                break;
        }
        return true;
    }

    const std::string& m_label;
    const JsonStreamBuffer& m_buffer;
    ShapeBudget m_budget;
    std::vector<ImportedShape> m_shapes;
    State m_state = State::Top;
    Key m_key = Key::Other;
    int m_skipDepth = 0;
    ImportedShape m_shape;
    bool m_hasPoints = false;
    int m_coordinates = 0;
    double m_xy[2] = {0, 0};
    bool m_bool = false;
    std::string m_string;
};

}  // namespace

std::vector<ImportedShape> ReadJsonShapes(ShapeSource& source) {
    JsonStreamBuffer buffer(source);
    // A UTF-8 byte-order mark is skipped by the parser itself.
    std::istream stream(&buffer);
    ShapeListReader reader(source.Label(), buffer);
    Json::sax_parse(stream, &reader);
    return reader.Shapes();
}

}  // namespace velmora
