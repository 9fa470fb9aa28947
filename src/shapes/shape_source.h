#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace velmora {

// The bytes of a shape file, read a piece at a time so that no reader holds a whole large
// file: a hostile file is refused by its first bytes over a limit, not after all of it is in
// memory. Every piece is checked for NUL characters, which no text format may hold: a NUL is
// refused with its line instead of silently ending the file there. A byte-order mark for
// UTF-16 is recognised, and its NUL checked per code unit.
class ShapeSource {
public:
    ShapeSource(std::string_view bytes, std::string label);
    // Opens the file; throws Error when it cannot be opened or is over kMaxShapeFileBytes.
    ShapeSource(const std::string& path, std::string label);
    ~ShapeSource();
    ShapeSource(const ShapeSource&) = delete;
    ShapeSource& operator=(const ShapeSource&) = delete;

    // Up to capacity next bytes into `into`; 0 at the end. Throws Error on a NUL character or a
    // read that fails.
    std::size_t Read(char* into, std::size_t capacity);
    // The first bytes of the file (up to 4096), without consuming them.
    std::string_view Start();
    const std::string& Label() const { return m_label; }

private:
    std::size_t ReadRaw(char* into, std::size_t capacity);
    void Check(const char* bytes, std::size_t size);

    std::string_view m_bytes;
    std::FILE* m_file = nullptr;
    std::string m_path;
    std::string m_label;
    std::string m_start;  // the bytes Start() looked at, handed out first by Read
    bool m_startRead = false;
    std::size_t m_startGiven = 0;
    // NUL checking: the encoding (0: 8-bit or UTF-8, 2: UTF-16 of this byte order), the line
    // and the byte count so far, and a pending odd byte of a UTF-16 code unit.
    int m_unit = 0;
    bool m_bigEndian = false;
    bool m_encodingKnown = false;
    std::size_t m_line = 1;
    std::size_t m_offset = 0;
    int m_pendingByte = -1;
};

}  // namespace velmora
