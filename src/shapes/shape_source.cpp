#include "shapes/shape_source.h"

#include <algorithm>
#include <cstring>

#include "shapes/shape_file.h"
#include "store/errors.h"

namespace velmora {

ShapeSource::ShapeSource(std::string_view bytes, std::string label)
    : m_bytes(bytes), m_label(std::move(label)) {}

ShapeSource::ShapeSource(const std::string& path, std::string label)
    : m_path(path), m_label(std::move(label)) {
    m_file = std::fopen(path.c_str(), "rb");
    if (m_file == nullptr) {
        throw Error("Не удаётся открыть файл разметки: " + path);
    }
    long size = -1;
    if (std::fseek(m_file, 0, SEEK_END) == 0) {
        size = std::ftell(m_file);
        std::rewind(m_file);
    }
    if (size < 0 || static_cast<std::uint64_t>(size) > kMaxShapeFileBytes) {
        std::fclose(m_file);
        m_file = nullptr;
        throw Error(m_label + ": файл разметки слишком велик (больше 128 МБ).");
    }
}

ShapeSource::~ShapeSource() {
    if (m_file != nullptr) {
        std::fclose(m_file);
    }
}

std::size_t ShapeSource::ReadRaw(char* into, std::size_t capacity) {
    if (m_file == nullptr) {
        const std::size_t size = std::min(capacity, m_bytes.size());
        std::memcpy(into, m_bytes.data(), size);
        m_bytes.remove_prefix(size);
        return size;
    }
    const std::size_t size = std::fread(into, 1, capacity, m_file);
    if (size < capacity && std::ferror(m_file)) {
        throw Error("Не удаётся прочитать файл разметки: " + m_path);
    }
    return size;
}

std::string_view ShapeSource::Start() {
    if (!m_startRead) {
        m_start.resize(4096);
        std::size_t got = 0;
        while (got < m_start.size()) {
            const std::size_t size = ReadRaw(m_start.data() + got, m_start.size() - got);
            if (size == 0) {
                break;
            }
            got += size;
        }
        m_start.resize(got);
        m_startRead = true;
    }
    return m_start;
}

std::size_t ShapeSource::Read(char* into, std::size_t capacity) {
    Start();
    std::size_t size = 0;
    if (m_startGiven < m_start.size()) {
        size = std::min(capacity, m_start.size() - m_startGiven);
        std::memcpy(into, m_start.data() + m_startGiven, size);
        m_startGiven += size;
    } else {
        size = ReadRaw(into, capacity);
    }
    Check(into, size);
    return size;
}

void ShapeSource::Check(const char* bytes, std::size_t size) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes);
    if (!m_encodingKnown) {
        // Read hands out Start() first, so the whole mark is in the first piece.
        if (size >= 2 &&
            ((data[0] == 0xFF && data[1] == 0xFE) || (data[0] == 0xFE && data[1] == 0xFF))) {
            m_unit = 2;
            m_bigEndian = data[0] == 0xFE;
        }
        m_encodingKnown = true;
    }
    auto refuse = [this] {
        throw Error(m_label + ": строка " + std::to_string(m_line) +
                    ": в файле нулевой символ (NUL, байт " + std::to_string(m_offset) +
                    "), которого не бывает в текстовом файле разметки: файл не читается.");
    };
    for (std::size_t i = 0; i < size; ++i, ++m_offset) {
        if (m_unit == 0) {
            if (data[i] == 0) {
                refuse();
            }
            m_line += data[i] == '\n';
            continue;
        }
        if (m_pendingByte < 0) {
            m_pendingByte = data[i];
            continue;
        }
        const unsigned unit = m_bigEndian ? (static_cast<unsigned>(m_pendingByte) << 8) | data[i]
                                          : (static_cast<unsigned>(data[i]) << 8) | m_pendingByte;
        m_pendingByte = -1;
        if (unit == 0) {
            refuse();
        }
        m_line += unit == '\n';
    }
}

}  // namespace velmora
