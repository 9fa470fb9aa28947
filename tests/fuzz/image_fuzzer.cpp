// Feeds arbitrary bytes to LoadImageFile through a file whose extension selects the decoder,
// the way every picture, map and overlay is read. VELMORA_FUZZ_EXTENSION picks the format.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_support.h"
#include "store/bitmap.h"
#include "store/errors.h"
#include "store/image_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmora;
    static const std::string path = fuzz::ScratchFolder() + "/input" VELMORA_FUZZ_EXTENSION;
    fuzz::WriteBytes(path, fuzz::Bytes(data, size));
    Bitmap bitmap;
    try {
        if (!LoadImageFile(bitmap, path)) {
            std::abort();  // the file exists and its extension is known
        }
    } catch (const ImageError&) {
        return 0;
    }
    // A decoded picture is within the limits and its buffer covers every row.
    if (bitmap.Width() <= 0 || bitmap.Height() <= 0 || bitmap.Width() > kMaxImageSide ||
        bitmap.Height() > kMaxImageSide ||
        bitmap.SizeInBytes() < bitmap.BytesPerLine() * static_cast<std::size_t>(bitmap.Height())) {
        std::abort();
    }
    volatile std::uint8_t last = bitmap.Row(bitmap.Height() - 1)[bitmap.Width() * 3 - 1];
    (void)last;
    return 0;
}
