// The editor's effect preview of a picture, written as a PNG for the page tests to hold against
// what a browser shows: effect_pixels PICTURE MAP AREA AREA_EFFECT BACKGROUND_EFFECT OUT, each
// effect "brightness,contrast,gamma,grayscale" as a record holds them (gamma in hundredths).
#include <array>
#include <cstdio>
#include <exception>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "canvas/view/pixel_effect.h"
#include "canvas/view/view_compose.h"
#include "store/area_palette.h"
#include "store/image_file.h"

namespace {

velmora::PixelEffectSettings ParseEffect(const std::string& text) {
    std::istringstream in(text);
    velmora::PixelEffectSettings s;
    int grey = 0;
    char comma = 0;
    if (!(in >> s.brightness >> comma >> s.contrast >> comma >> s.gamma >> comma >> grey)) {
        throw std::runtime_error("not an effect: " + text);
    }
    s.grayscale = grey != 0;
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 7) {
        std::fputs("usage: effect_pixels PICTURE MAP AREA AREA_EFFECT BACKGROUND_EFFECT OUT\n",
                   stderr);
        return 2;
    }
    try {
        velmora::Bitmap picture;
        velmora::Bitmap map;
        if (!velmora::LoadImageFile(picture, argv[1]) || !velmora::LoadImageFile(map, argv[2])) {
            throw std::runtime_error("picture or map not found");
        }
        const velmora::EffectPreview effects{std::stoi(argv[3]),
                                             velmora::PixelEffect(ParseEffect(argv[4])),
                                             velmora::PixelEffect(ParseEffect(argv[5]))};
        // The row composition the canvas draws from at 100 %, with the picture alone in view.
        const velmora::ViewRowComposer composer(velmora::AreaPalette, velmora::ViewMode::Picture,
                                                0);
        velmora::Bitmap shown(picture.Width(), picture.Height());
        std::vector<std::uint8_t> row;
        for (int y = 0; y < picture.Height(); ++y) {
            composer.Compose(picture, map, effects, y, 0, picture.Width(), row, shown.Row(y));
        }
        velmora::SaveImageFile(shown, argv[6]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "effect_pixels: %s\n", e.what());
        return 1;
    }
    return 0;
}
