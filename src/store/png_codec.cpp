#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include "store/image_codecs.h"
#include "store/progress.h"

namespace velmora::codec {

namespace {

constexpr unsigned long long kMaxDeflateRatio = 1032;

// libpng reports faults by longjmp; this carries the message and the input position across it.
// The functions that call setjmp hold only trivial locals, so no destructor is ever skipped.
struct PngSession {
    png_structp png = nullptr;
    png_infop info = nullptr;
    bool writing = false;
    char message[256] = {};
    const unsigned char* input = nullptr;
    std::size_t inputLeft = 0;
    InputFile* file = nullptr;
    std::string* output = nullptr;

    ~PngSession() {
        if (writing) {
            png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
        } else if (png != nullptr) {
            png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr);
        }
    }
};

void OnPngError(png_structp png, png_const_charp text) {
    auto* session = static_cast<PngSession*>(png_get_error_ptr(png));
    std::snprintf(session->message, sizeof session->message, "%s", text != nullptr ? text : "");
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

void ReadFromMemory(png_structp png, png_bytep data, png_size_t length) {
    auto* session = static_cast<PngSession*>(png_get_io_ptr(png));
    if (length > session->inputLeft) {
        png_error(png, "unexpected end of file");
    }
    std::memcpy(data, session->input, length);
    session->input += length;
    session->inputLeft -= length;
}

void ReadFromFile(png_structp png, png_bytep data, png_size_t length) {
    auto* session = static_cast<PngSession*>(png_get_io_ptr(png));
    bool complete = true;
    try {
        for (png_size_t done = 0; done < length && complete;) {
            const std::size_t n =
                session->file->Read(reinterpret_cast<char*>(data) + done, length - done);
            done += n;
            complete = n > 0;
        }
    } catch (const std::exception&) {
        complete = false;
    }
    // Outside the handler: the jump out of png_error must not cross a catch block.
    if (!complete) {
        png_error(png, "unexpected end of file");
    }
}

void WriteToMemory(png_structp png, png_bytep data, png_size_t length) {
    auto* session = static_cast<PngSession*>(png_get_io_ptr(png));
    bool stored = true;
    try {
        session->output->append(reinterpret_cast<const char*>(data), length);
    } catch (...) {
        stored = false;
    }
    // Outside the handler: the jump out of png_error must not cross a catch block.
    if (!stored) {
        png_error(png, "out of memory");
    }
}

void FlushNothing(png_structp) {}

[[noreturn]] void FailPng(const PngSession& session) {
    throw ImageDefect(std::string("файл PNG повреждён или обрезан (") + session.message + ")");
}

// Reads the header and sets up conversion of every colour type to 8-bit BGR without alpha.
bool ReadPngHeader(PngSession& session, png_uint_32& width, png_uint_32& height, int& bitsPerPixel,
                   bool& interlaced) {
    if (setjmp(png_jmpbuf(session.png))) {
        return false;
    }
    png_structp png = session.png;
    png_infop info = session.info;
    // Our own size check, with its clearer message, stands in for libpng's limit of a million
    // pixels per side.
    png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
    png_read_info(png, info);
    width = png_get_image_width(png, info);
    height = png_get_image_height(png, info);
    const int colorType = png_get_color_type(png, info);
    const int bitDepth = png_get_bit_depth(png, info);
    bitsPerPixel = png_get_channels(png, info) * bitDepth;
    interlaced = png_get_interlace_type(png, info) != PNG_INTERLACE_NONE;
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        png_set_palette_to_rgb(png);
    }
    if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) {
        png_set_expand_gray_1_2_4_to_8(png);
    }
    if (bitDepth == 16) {
        png_set_scale_16(png);
    }
    // The picture and the map are opaque: alpha, and a transparent colour, are simply dropped.
    if ((colorType & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(png, info, PNG_INFO_tRNS) != 0) {
        png_set_strip_alpha(png);
    }
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) {
        png_set_gray_to_rgb(png);
    }
    png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    return true;
}

bool ReadPngRow(PngSession& session, png_bytep row) {
    if (setjmp(png_jmpbuf(session.png))) {
        return false;
    }
    png_read_row(session.png, row, nullptr);
    return true;
}

// The rows of every pass, as png_read_image reads them, with a report between rows.
bool ReadPngRows(PngSession& session, png_bytepp rows, png_uint_32 height, bool interlaced) {
    if (setjmp(png_jmpbuf(session.png))) {
        return false;
    }
    Progress& progress = ThreadProgress();
    const int passes = interlaced ? PNG_INTERLACE_ADAM7_PASSES : 1;
    const std::int64_t total = static_cast<std::int64_t>(passes) * height;
    for (int pass = 0; pass < passes; ++pass) {
        for (png_uint_32 y = 0; y < height; ++y) {
            StepRows(progress, static_cast<std::int64_t>(pass) * height + y, total);
            png_read_row(session.png, rows[y], nullptr);
        }
    }
    return true;
}

bool WritePngRows(PngSession& session, const Bitmap& bitmap, png_bytepp rows,
                  std::string_view iccProfile) {
    if (setjmp(png_jmpbuf(session.png))) {
        return false;
    }
    png_structp png = session.png;
    png_infop info = session.info;
    png_set_write_fn(png, &session, WriteToMemory, FlushNothing);
    png_set_IHDR(png, info, static_cast<png_uint_32>(bitmap.Width()),
                 static_cast<png_uint_32>(bitmap.Height()), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    // Area maps are long runs of equal bytes. The "up" filter turns every row that repeats the
    // one above into zeros, and run-length deflate packs those runs as tightly as libpng's
    // adaptive filtering at level 6 does, in a quarter of the time (see bench/map_png_bench).
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
    png_set_compression_level(png, 1);
    png_set_compression_strategy(png, Z_RLE);
    png_set_compression_buffer_size(png, 1 << 16);
    if (!iccProfile.empty()) {
        png_set_iCCP(png, info, "ICC profile", PNG_COMPRESSION_TYPE_BASE,
                     reinterpret_cast<png_const_bytep>(iccProfile.data()),
                     static_cast<png_uint_32>(iccProfile.size()));
    }
    png_write_info(png, info);
    png_set_bgr(png);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    return true;
}

// The read structures of a session that takes its bytes from reader.
void StartPngRead(PngSession& session, png_rw_ptr reader) {
    session.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &session, OnPngError, OnPngWarning);
    if (session.png == nullptr) {
        throw std::bad_alloc();
    }
    session.info = png_create_info_struct(session.png);
    if (session.info == nullptr) {
        throw std::bad_alloc();
    }
    png_set_read_fn(session.png, &session, reader);
}

bool ReadPngIcc(PngSession& session, std::string& profile) {
    if (setjmp(png_jmpbuf(session.png))) {
        return false;
    }
    png_read_info(session.png, session.info);
    png_charp name = nullptr;
    int compression = 0;
    png_bytep data = nullptr;
    png_uint_32 length = 0;
    if (png_get_iCCP(session.png, session.info, &name, &compression, &data, &length) != 0) {
        profile.assign(reinterpret_cast<const char*>(data), length);
    }
    return true;
}

}  // namespace

std::string ReadPngIccProfile(std::string_view bytes) {
    if (bytes.size() < 8 ||
        png_sig_cmp(reinterpret_cast<png_const_bytep>(bytes.data()), 0, 8) != 0) {
        return {};
    }
    PngSession session;
    session.input = reinterpret_cast<const unsigned char*>(bytes.data());
    session.inputLeft = bytes.size();
    StartPngRead(session, ReadFromMemory);
    std::string profile;
    if (!ReadPngIcc(session, profile)) {
        return {};
    }
    return profile;
}

Bitmap DecodePng(std::string_view bytes) {
    if (bytes.size() < 8 ||
        png_sig_cmp(reinterpret_cast<png_const_bytep>(bytes.data()), 0, 8) != 0) {
        throw ImageDefect("это не файл PNG");
    }
    PngSession session;
    session.input = reinterpret_cast<const unsigned char*>(bytes.data());
    session.inputLeft = bytes.size();
    StartPngRead(session, ReadFromMemory);

    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitsPerPixel = 0;
    bool interlaced = false;
    if (!ReadPngHeader(session, width, height, bitsPerPixel, interlaced)) {
        FailPng(session);
    }
    CheckDecodedSize(width, height);
    // Deflate packs at most 1032 bytes into one, so a file too short to hold the claimed
    // picture is refused before hundreds of megabytes are allocated for it.
    const unsigned long long rawBytes =
        (static_cast<unsigned long long>(width) * bitsPerPixel + 7) / 8 * height;
    if (rawBytes / kMaxDeflateRatio > bytes.size()) {
        throw ImageDefect("файл PNG обрезан");
    }
    if (png_get_rowbytes(session.png, session.info) != static_cast<png_size_t>(width) * 3) {
        throw ImageDefect("неподдерживаемый вид файла PNG");
    }
    Bitmap bitmap(static_cast<int>(width), static_cast<int>(height));
    std::vector<png_bytep> rows(height);
    for (png_uint_32 y = 0; y < height; ++y) {
        rows[y] = bitmap.Row(static_cast<int>(y));
    }
    if (!ReadPngRows(session, rows.data(), height, interlaced)) {
        FailPng(session);
    }
    return bitmap;
}

bool StreamPngRows(InputFile& input, const std::function<void(int, int)>& onSize,
                   const std::function<void(int, const std::uint8_t*)>& onRow) {
    unsigned char signature[8] = {};
    std::size_t got = 0;
    while (got < sizeof signature) {
        const std::size_t n =
            input.Read(reinterpret_cast<char*>(signature) + got, sizeof signature - got);
        if (n == 0) {
            break;
        }
        got += n;
    }
    if (got < sizeof signature || png_sig_cmp(signature, 0, 8) != 0) {
        throw ImageDefect("это не файл PNG");
    }
    PngSession session;
    session.file = &input;
    StartPngRead(session, ReadFromFile);
    png_set_sig_bytes(session.png, 8);

    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitsPerPixel = 0;
    bool interlaced = false;
    if (!ReadPngHeader(session, width, height, bitsPerPixel, interlaced)) {
        FailPng(session);
    }
    CheckDecodedSize(width, height);
    // As for DecodePng: a file too short to hold the claimed picture allocates nothing.
    const unsigned long long rawBytes =
        (static_cast<unsigned long long>(width) * bitsPerPixel + 7) / 8 * height;
    if (rawBytes / kMaxDeflateRatio > static_cast<unsigned long long>(input.Size())) {
        throw ImageDefect("файл PNG обрезан");
    }
    // Interlaced rows only come together at the last pass; such a file is decoded whole.
    if (interlaced) {
        return false;
    }
    if (png_get_rowbytes(session.png, session.info) != static_cast<png_size_t>(width) * 3) {
        throw ImageDefect("неподдерживаемый вид файла PNG");
    }
    onSize(static_cast<int>(width), static_cast<int>(height));
    std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * 3);
    Progress& progress = ThreadProgress();
    for (png_uint_32 y = 0; y < height; ++y) {
        StepRows(progress, y, height);
        if (!ReadPngRow(session, row.data())) {
            FailPng(session);
        }
        onRow(static_cast<int>(y), row.data());
    }
    return true;
}

std::string EncodePng(const Bitmap& bitmap) {
    return EncodePng(bitmap, {});
}

std::string EncodePng(const Bitmap& bitmap, std::string_view iccProfile) {
    std::string output;
    PngSession session;
    session.writing = true;
    session.output = &output;
    session.png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, &session, OnPngError, OnPngWarning);
    if (session.png == nullptr) {
        throw std::bad_alloc();
    }
    session.info = png_create_info_struct(session.png);
    if (session.info == nullptr) {
        throw std::bad_alloc();
    }
    std::vector<png_bytep> rows(static_cast<std::size_t>(bitmap.Height()));
    for (int y = 0; y < bitmap.Height(); ++y) {
        // libpng copies each row before its transformations, so the bitmap is never written.
        rows[static_cast<std::size_t>(y)] = const_cast<png_bytep>(bitmap.Row(y));
    }
    if (!WritePngRows(session, bitmap, rows.data(), iccProfile)) {
        throw ImageDefect(std::string("ошибка кодирования PNG (") + session.message + ")");
    }
    return output;
}

}  // namespace velmora::codec
