#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <unordered_map>
#include <vector>

#include "store/image_codecs.h"
#include "store/progress.h"

namespace velmora::codec {

namespace {

constexpr int kMaxGifSide = 65535;

// The not yet read part of the bytes being decoded.
struct GifInput {
    const GifByteType* data = nullptr;
    std::size_t left = 0;
};

int ReadFromMemory(GifFileType* gif, GifByteType* buffer, int length) {
    auto* input = static_cast<GifInput*>(gif->UserData);
    const std::size_t count = std::min(input->left, static_cast<std::size_t>(std::max(length, 0)));
    std::memcpy(buffer, input->data, count);
    input->data += count;
    input->left -= count;
    return static_cast<int>(count);
}

int WriteToMemory(GifFileType* gif, const GifByteType* data, int length) {
    try {
        static_cast<std::string*>(gif->UserData)
            ->append(reinterpret_cast<const char*>(data), static_cast<std::size_t>(length));
        return length;
    } catch (...) {
        return 0;
    }
}

// Closes a giflib handle however the decoding or encoding ends.
class GifHandle {
public:
    GifHandle(GifFileType* gif, bool writing) : m_gif(gif), m_writing(writing) {}
    ~GifHandle() {
        int error = 0;
        if (m_gif != nullptr) {
            m_writing ? EGifCloseFile(m_gif, &error) : DGifCloseFile(m_gif, &error);
        }
    }
    GifHandle(const GifHandle&) = delete;
    GifHandle& operator=(const GifHandle&) = delete;

    GifFileType* operator->() const { return m_gif; }
    GifFileType* get() const { return m_gif; }

    // Closes now and reports whether the closing write succeeded.
    bool Close() {
        int error = 0;
        const int result = EGifCloseFile(m_gif, &error);
        m_gif = nullptr;
        return result == GIF_OK;
    }

private:
    GifFileType* m_gif;
    bool m_writing;
};

[[noreturn]] void FailGif(int error) {
    const char* text = GifErrorString(error);
    throw ImageDefect(std::string("файл GIF повреждён или обрезан (") +
                      (text != nullptr ? text : "unknown error") + ")");
}

// Whether a first image was found, and the palette index it shows as transparent.
struct FirstFrame {
    int transparent = NO_TRANSPARENT_COLOR;
    bool found = false;
};

// Skips records up to the first image descriptor, remembering the transparent colour that the
// graphic control block before it names.
FirstFrame SeekFirstImage(GifFileType* gif) {
    FirstFrame frame;
    for (;;) {
        GifRecordType record = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif, &record) == GIF_ERROR) {
            FailGif(gif->Error);
        }
        if (record == IMAGE_DESC_RECORD_TYPE) {
            if (DGifGetImageDesc(gif) == GIF_ERROR) {
                FailGif(gif->Error);
            }
            frame.found = true;
            return frame;
        }
        if (record == TERMINATE_RECORD_TYPE) {
            return frame;
        }
        if (record == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) {
                FailGif(gif->Error);
            }
            if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr) {
                GraphicsControlBlock gcb{};
                if (DGifExtensionToGCB(block[0], block + 1, &gcb) == GIF_OK) {
                    frame.transparent = gcb.TransparentColor;
                }
            }
            while (block != nullptr) {
                if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) {
                    FailGif(gif->Error);
                }
            }
        }
    }
}

// Maps palette indexes to BGR; an index past the palette's end shows black.
std::array<std::uint8_t, 256 * 3> PaletteTable(const ColorMapObject* map) {
    std::array<std::uint8_t, 256 * 3> table{};
    const int count = map != nullptr ? std::min(map->ColorCount, 256) : 0;
    for (int i = 0; i < count; ++i) {
        table[i * 3 + 0] = map->Colors[i].Blue;
        table[i * 3 + 1] = map->Colors[i].Green;
        table[i * 3 + 2] = map->Colors[i].Red;
    }
    return table;
}

// Counts the colours of a bitmap while there are at most 256 and gives each its index.
class ExactPalette {
public:
    bool Build(const Bitmap& bitmap) {
        for (int y = 0; y < bitmap.Height(); ++y) {
            const std::uint8_t* p = bitmap.Row(y);
            std::uint32_t last = 0xFFFFFFFF;
            for (int x = 0; x < bitmap.Width(); ++x, p += 3) {
                const std::uint32_t key = Key(p);
                if (key == last) {
                    continue;
                }
                last = key;
                if (m_index.find(key) == m_index.end()) {
                    if (m_colors.size() == 256) {
                        return false;
                    }
                    m_index.emplace(key, static_cast<GifPixelType>(m_colors.size()));
                    m_colors.push_back(key);
                }
            }
        }
        return true;
    }

    GifPixelType IndexOf(const std::uint8_t* bgr) const { return m_index.at(Key(bgr)); }
    const std::vector<std::uint32_t>& Colors() const { return m_colors; }

    static std::uint32_t Key(const std::uint8_t* bgr) {
        return static_cast<std::uint32_t>(bgr[0]) | static_cast<std::uint32_t>(bgr[1]) << 8 |
               static_cast<std::uint32_t>(bgr[2]) << 16;
    }

private:
    std::unordered_map<std::uint32_t, GifPixelType> m_index;
    std::vector<std::uint32_t> m_colors;
};

// A fixed 6 × 7 × 6 colour cube for pictures with more than 256 colours: plain, predictable,
// and with one more level of green, to which the eye is most sensitive.
constexpr int kRedLevels = 6;
constexpr int kGreenLevels = 7;
constexpr int kBlueLevels = 6;

int Level(int value, int levels) {
    return (value * (levels - 1) + 127) / 255;
}

GifPixelType CubeIndex(const std::uint8_t* bgr) {
    return static_cast<GifPixelType>(
        (Level(bgr[2], kRedLevels) * kGreenLevels + Level(bgr[1], kGreenLevels)) * kBlueLevels +
        Level(bgr[0], kBlueLevels));
}

std::vector<GifColorType> CubeColors() {
    std::vector<GifColorType> colors;
    for (int r = 0; r < kRedLevels; ++r) {
        for (int g = 0; g < kGreenLevels; ++g) {
            for (int b = 0; b < kBlueLevels; ++b) {
                colors.push_back({static_cast<GifByteType>(r * 255 / (kRedLevels - 1)),
                                  static_cast<GifByteType>(g * 255 / (kGreenLevels - 1)),
                                  static_cast<GifByteType>(b * 255 / (kBlueLevels - 1))});
            }
        }
    }
    return colors;
}

}  // namespace

Bitmap DecodeGif(std::string_view bytes) {
    GifInput input{reinterpret_cast<const GifByteType*>(bytes.data()), bytes.size()};
    int error = 0;
    GifHandle gif(DGifOpen(&input, ReadFromMemory, &error), false);
    if (gif.get() == nullptr) {
        if (error == D_GIF_ERR_NOT_GIF_FILE) {
            throw ImageDefect("это не файл GIF");
        }
        FailGif(error);
    }
    const FirstFrame first = SeekFirstImage(gif.get());
    if (!first.found) {
        throw ImageDefect("в файле GIF нет ни одного кадра");
    }
    const GifImageDesc& frame = gif->Image;
    const ColorMapObject* map = frame.ColorMap != nullptr ? frame.ColorMap : gif->SColorMap;
    if (map == nullptr) {
        throw ImageDefect("в файле GIF нет таблицы цветов");
    }
    // The picture is the logical screen, and frame pixels beyond it are cut off. Only a file
    // that gives no screen size takes the frame's extent.
    const bool emptyFrame = frame.Width <= 0 || frame.Height <= 0;
    const int frameWidth = emptyFrame ? 0 : frame.Width;
    const int frameHeight = emptyFrame ? 0 : frame.Height;
    const bool noScreen = gif->SWidth <= 0 || gif->SHeight <= 0;
    const long long width =
        noScreen ? static_cast<long long>(frame.Left) + frameWidth : gif->SWidth;
    const long long height =
        noScreen ? static_cast<long long>(frame.Top) + frameHeight : gif->SHeight;
    CheckDecodedSize(width, height);

    // The frame's rows are read before the picture is allocated, so a short file that claims a
    // large screen fails without first filling hundreds of megabytes with the background.
    std::vector<GifPixelType> indexes;
    Progress& progress = ThreadProgress();
    for (int row = 0; row < frameHeight; ++row) {
        StepRows(progress, row, frameHeight);
        indexes.resize(indexes.size() + static_cast<std::size_t>(frameWidth));
        if (DGifGetLine(gif.get(), indexes.data() + indexes.size() - frameWidth, frameWidth) ==
            GIF_ERROR) {
            FailGif(gif->Error);
        }
    }

    const auto table = PaletteTable(map);
    std::array<std::uint8_t, 3> background{};
    if (gif->SColorMap != nullptr && gif->SBackGroundColor >= 0 &&
        gif->SBackGroundColor < gif->SColorMap->ColorCount) {
        const GifColorType& c = gif->SColorMap->Colors[gif->SBackGroundColor];
        background = {c.Blue, c.Green, c.Red};
    }
    Bitmap bitmap(static_cast<int>(width), static_cast<int>(height));
    std::uint8_t* firstRow = bitmap.Row(0);
    for (int x = 0; x < bitmap.Width(); ++x) {
        std::memcpy(firstRow + x * 3, background.data(), 3);
    }
    for (int y = 1; y < bitmap.Height(); ++y) {
        std::memcpy(bitmap.Row(y), firstRow, static_cast<std::size_t>(bitmap.Width()) * 3);
    }

    // Interlaced rows arrive in four passes: every 8th row from 0, every 8th from 4, every 4th
    // from 2, every 2nd from 1.
    static constexpr int kPassStart[] = {0, 4, 2, 1};
    static constexpr int kPassStep[] = {8, 8, 4, 2};
    const int passes = frame.Interlace ? 4 : 1;
    const int visibleWidth =
        std::clamp(bitmap.Width() - static_cast<int>(frame.Left), 0, frameWidth);
    const GifPixelType* source = indexes.data();
    for (int pass = 0; pass < passes; ++pass) {
        const int start = frame.Interlace ? kPassStart[pass] : 0;
        const int step = frame.Interlace ? kPassStep[pass] : 1;
        for (int row = start; row < frameHeight; row += step, source += frameWidth) {
            const int y = frame.Top + row;
            if (y >= bitmap.Height() || visibleWidth == 0) {
                continue;
            }
            std::uint8_t* p = bitmap.Row(y) + static_cast<std::size_t>(frame.Left) * 3;
            for (int x = 0; x < visibleWidth; ++x, p += 3) {
                const GifPixelType index = source[x];
                const std::uint8_t* color =
                    index == first.transparent ? background.data() : &table[index * 3];
                std::memcpy(p, color, 3);
            }
        }
    }
    return bitmap;
}

std::string EncodeGif(const Bitmap& bitmap) {
    if (bitmap.Width() > kMaxGifSide || bitmap.Height() > kMaxGifSide) {
        throw ImageDefect("GIF допускает не более " + std::to_string(kMaxGifSide) +
                          " точек по стороне");
    }
    ExactPalette exact;
    const bool isExact = exact.Build(bitmap);
    std::vector<GifColorType> colors;
    if (isExact) {
        for (const std::uint32_t key : exact.Colors()) {
            colors.push_back({static_cast<GifByteType>(key >> 16),
                              static_cast<GifByteType>(key >> 8), static_cast<GifByteType>(key)});
        }
    } else {
        colors = CubeColors();
    }
    // giflib wants a power of two of at least two entries; the rest stays black and unused.
    std::size_t tableSize = 2;
    while (tableSize < colors.size()) {
        tableSize *= 2;
    }
    colors.resize(tableSize, GifColorType{0, 0, 0});
    ColorMapObject* map = GifMakeMapObject(static_cast<int>(tableSize), colors.data());
    if (map == nullptr) {
        throw std::bad_alloc();
    }
    std::unique_ptr<ColorMapObject, void (*)(ColorMapObject*)> mapGuard(map, GifFreeMapObject);

    std::string output;
    int error = 0;
    GifHandle gif(EGifOpen(&output, WriteToMemory, &error), true);
    if (gif.get() == nullptr) {
        throw ImageDefect(std::string("ошибка кодирования GIF (") + GifErrorString(error) + ")");
    }
    auto fail = [&]() -> ImageDefect {
        const char* text = GifErrorString(gif->Error);
        return ImageDefect(std::string("ошибка кодирования GIF (") +
                           (text != nullptr ? text : "unknown error") + ")");
    };
    if (EGifPutScreenDesc(gif.get(), bitmap.Width(), bitmap.Height(), 8, 0, map) == GIF_ERROR ||
        EGifPutImageDesc(gif.get(), 0, 0, bitmap.Width(), bitmap.Height(), false, nullptr) ==
            GIF_ERROR) {
        throw fail();
    }
    std::vector<GifPixelType> line(static_cast<std::size_t>(bitmap.Width()));
    for (int y = 0; y < bitmap.Height(); ++y) {
        const std::uint8_t* p = bitmap.Row(y);
        std::uint32_t lastKey = 0xFFFFFFFF;
        GifPixelType lastIndex = 0;
        for (int x = 0; x < bitmap.Width(); ++x, p += 3) {
            if (!isExact) {
                line[static_cast<std::size_t>(x)] = CubeIndex(p);
                continue;
            }
            const std::uint32_t key = ExactPalette::Key(p);
            if (key != lastKey) {
                lastKey = key;
                lastIndex = exact.IndexOf(p);
            }
            line[static_cast<std::size_t>(x)] = lastIndex;
        }
        if (EGifPutLine(gif.get(), line.data(), bitmap.Width()) == GIF_ERROR) {
            throw fail();
        }
    }
    if (!gif.Close()) {
        throw ImageDefect("ошибка кодирования GIF");
    }
    return output;
}

}  // namespace velmora::codec
