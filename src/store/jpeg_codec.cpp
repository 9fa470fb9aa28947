#include <cstdio>
// jpeglib.h needs FILE and size_t declared before it.
#include <jerror.h>
#include <jpeglib.h>

#include <csetjmp>
#include <cstdlib>
#include <vector>

#include "store/image_codecs.h"
#include "store/progress.h"

namespace velmora::codec {

namespace {

// More scans than any real progressive file has; a file with thousands of tiny scans would
// otherwise keep the decoder busy for minutes.
constexpr int kMaxJpegScans = 1000;
constexpr int kQuality = 90;
constexpr int kMaxJpegSide = JPEG_MAX_DIMENSION;

// libjpeg reports faults by longjmp through its error manager; this carries the message.
struct JpegErrors {
    jpeg_error_mgr base{};
    jmp_buf jump{};
    char message[JMSG_LENGTH_MAX] = {};
};

void OnJpegError(j_common_ptr cinfo) {
    auto* errors = reinterpret_cast<JpegErrors*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, errors->message);
    std::longjmp(errors->jump, 1);
}

// Corrupt-data warnings still yield a picture, as every viewer shows one, but a file that ends
// before its image data is truncated and refused.
void OnJpegMessage(j_common_ptr cinfo, int level) {
    if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF) {
        OnJpegError(cinfo);
    }
}

void OutputNothing(j_common_ptr) {}

void WatchScans(j_common_ptr cinfo) {
    if (cinfo->is_decompressor &&
        reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxJpegScans) {
        auto* errors = reinterpret_cast<JpegErrors*>(cinfo->err);
        std::snprintf(errors->message, sizeof errors->message, "more than %d scans", kMaxJpegScans);
        std::longjmp(errors->jump, 1);
    }
}

void InstallErrors(JpegErrors& errors) {
    jpeg_std_error(&errors.base);
    errors.base.error_exit = OnJpegError;
    errors.base.emit_message = OnJpegMessage;
    errors.base.output_message = OutputNothing;
}

// A decompressor with its error manager and scan watch, destroyed however decoding ends.
struct JpegReader {
    jpeg_decompress_struct cinfo{};
    JpegErrors errors;
    jpeg_progress_mgr progress{};
    bool created = false;

    ~JpegReader() {
        if (created) {
            jpeg_destroy_decompress(&cinfo);
        }
    }
};

// A compressor writing into a malloc'd buffer, both released however encoding ends.
struct JpegWriter {
    jpeg_compress_struct cinfo{};
    JpegErrors errors;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    bool created = false;

    ~JpegWriter() {
        if (created) {
            jpeg_destroy_compress(&cinfo);
        }
        std::free(buffer);
    }
};

// Creates the decompressor of reader. Called right after the caller's setjmp, so that
// an error inside it returns there.
void StartDecompress(JpegReader& reader) {
    jpeg_decompress_struct& cinfo = reader.cinfo;
    InstallErrors(reader.errors);
    cinfo.err = &reader.errors.base;
    jpeg_create_decompress(&cinfo);
    reader.created = true;
}

bool ReadJpegHeader(JpegReader& reader, std::string_view bytes) {
    if (setjmp(reader.errors.jump)) {
        return false;
    }
    StartDecompress(reader);
    jpeg_decompress_struct& cinfo = reader.cinfo;
    reader.progress.progress_monitor = WatchScans;
    cinfo.progress = &reader.progress;
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.data()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&cinfo, TRUE);
    if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) {
        cinfo.out_color_space = JCS_CMYK;
    } else {
        cinfo.out_color_space = JCS_EXT_BGR;
    }
    return true;
}

// Ink to light: with an Adobe marker the samples are stored inverted (255 = no ink), which is
// how nearly every CMYK JPEG is written.
void CmykToBgr(const JSAMPLE* cmyk, std::uint8_t* bgr, int width, bool inverted) {
    for (int x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
        int c = cmyk[0];
        int m = cmyk[1];
        int y = cmyk[2];
        int k = cmyk[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        bgr[0] = static_cast<std::uint8_t>((y * k + 127) / 255);
        bgr[1] = static_cast<std::uint8_t>((m * k + 127) / 255);
        bgr[2] = static_cast<std::uint8_t>((c * k + 127) / 255);
    }
}

bool ReadJpegRows(JpegReader& reader, Bitmap& bitmap, JSAMPLE* cmykRow) {
    if (setjmp(reader.errors.jump)) {
        return false;
    }
    jpeg_decompress_struct& cinfo = reader.cinfo;
    jpeg_start_decompress(&cinfo);
    const bool cmyk = cinfo.out_color_space == JCS_CMYK;
    if (static_cast<int>(cinfo.output_width) != bitmap.Width() ||
        static_cast<int>(cinfo.output_height) != bitmap.Height() ||
        cinfo.output_components != (cmyk ? 4 : 3)) {
        std::snprintf(reader.errors.message, sizeof reader.errors.message,
                      "unexpected output layout");
        return false;
    }
    Progress& progress = ThreadProgress();
    while (cinfo.output_scanline < cinfo.output_height) {
        const int y = static_cast<int>(cinfo.output_scanline);
        StepRows(progress, y, cinfo.output_height);
        JSAMPROW row = cmyk ? cmykRow : bitmap.Row(y);
        if (jpeg_read_scanlines(&cinfo, &row, 1) != 1) {
            std::snprintf(reader.errors.message, sizeof reader.errors.message, "no scanline read");
            return false;
        }
        if (cmyk) {
            CmykToBgr(cmykRow, bitmap.Row(y), bitmap.Width(), cinfo.saw_Adobe_marker);
        }
    }
    return true;
}

bool WriteJpeg(JpegWriter& writer, const Bitmap& bitmap, int quality, std::string_view iccProfile) {
    if (setjmp(writer.errors.jump)) {
        return false;
    }
    jpeg_compress_struct& cinfo = writer.cinfo;
    InstallErrors(writer.errors);
    cinfo.err = &writer.errors.base;
    jpeg_create_compress(&cinfo);
    writer.created = true;
    jpeg_mem_dest(&cinfo, &writer.buffer, &writer.size);
    cinfo.image_width = static_cast<JDIMENSION>(bitmap.Width());
    cinfo.image_height = static_cast<JDIMENSION>(bitmap.Height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    if (!iccProfile.empty()) {
        jpeg_write_icc_profile(&cinfo, reinterpret_cast<const JOCTET*>(iccProfile.data()),
                               static_cast<unsigned int>(iccProfile.size()));
    }
    while (cinfo.next_scanline < cinfo.image_height) {
        // The compressor only reads the rows it is given.
        JSAMPROW row = const_cast<JSAMPROW>(bitmap.Row(static_cast<int>(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    return true;
}

// The profile's APP2 markers are kept while the header is read.
bool ReadIccMarkers(JpegReader& reader, std::string_view bytes, std::string& profile) {
    if (setjmp(reader.errors.jump)) {
        return false;
    }
    StartDecompress(reader);
    jpeg_decompress_struct& cinfo = reader.cinfo;
    jpeg_save_markers(&cinfo, JPEG_APP0 + 2, 0xFFFF);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.data()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&cinfo, TRUE);
    JOCTET* data = nullptr;
    unsigned int length = 0;
    if (jpeg_read_icc_profile(&cinfo, &data, &length)) {
        profile.assign(reinterpret_cast<const char*>(data), length);
        std::free(data);
    }
    return true;
}

}  // namespace

std::string ReadJpegIccProfile(std::string_view bytes) {
    if (bytes.size() < 3) {
        return {};
    }
    JpegReader reader;
    std::string profile;
    if (!ReadIccMarkers(reader, bytes, profile)) {
        return {};
    }
    return profile;
}

Bitmap DecodeJpeg(std::string_view bytes) {
    if (bytes.size() < 3 || static_cast<unsigned char>(bytes[0]) != 0xFF ||
        static_cast<unsigned char>(bytes[1]) != 0xD8) {
        throw ImageDefect("это не файл JPEG");
    }
    JpegReader reader;
    if (!ReadJpegHeader(reader, bytes)) {
        throw ImageDefect(std::string("файл JPEG повреждён или обрезан (") + reader.errors.message +
                          ")");
    }
    CheckDecodedSize(reader.cinfo.image_width, reader.cinfo.image_height);
    // Huffman coding spends at least one bit on every 8 × 8 block, so a file too short to hold
    // the claimed picture is refused before the picture is allocated.
    const unsigned long long blocks =
        (reader.cinfo.image_width + 7ULL) / 8 * ((reader.cinfo.image_height + 7ULL) / 8);
    if (!reader.cinfo.arith_code && blocks > bytes.size() * 8ULL) {
        throw ImageDefect("файл JPEG обрезан");
    }
    Bitmap bitmap(static_cast<int>(reader.cinfo.image_width),
                  static_cast<int>(reader.cinfo.image_height));
    std::vector<JSAMPLE> cmykRow;
    if (reader.cinfo.out_color_space == JCS_CMYK) {
        cmykRow.resize(static_cast<std::size_t>(bitmap.Width()) * 4);
    }
    if (!ReadJpegRows(reader, bitmap, cmykRow.data())) {
        throw ImageDefect(std::string("файл JPEG повреждён или обрезан (") + reader.errors.message +
                          ")");
    }
    return bitmap;
}

std::string EncodeJpeg(const Bitmap& bitmap) {
    return EncodeJpeg(bitmap, kQuality, {});
}

std::string EncodeJpeg(const Bitmap& bitmap, int quality, std::string_view iccProfile) {
    if (bitmap.Width() > kMaxJpegSide || bitmap.Height() > kMaxJpegSide) {
        throw ImageDefect("JPEG допускает не более " + std::to_string(kMaxJpegSide) +
                          " точек по стороне");
    }
    JpegWriter writer;
    if (!WriteJpeg(writer, bitmap, quality, iccProfile)) {
        throw ImageDefect(std::string("ошибка кодирования JPEG (") + writer.errors.message + ")");
    }
    return std::string(reinterpret_cast<const char*>(writer.buffer), writer.size);
}

}  // namespace velmora::codec
