#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "canvas/map/map_ops.h"
#include "cli/cli_runner.h"
#include "store/image_file.h"
#include "support/test_support.h"

namespace velmora::test {

// A project "tour.vlm" over a 64 x 48 picture "hall.png": left half dark, right half light,
// a light square at 8..23 x 8..23 in the dark half; areas Door and Window.
class ShapeVerbs : public ::testing::Test {
protected:
    void SetUp() override {
        Bitmap picture(64, 48);
        for (int y = 0; y < 48; ++y) {
            for (int x = 0; x < 64; ++x) {
                const bool light = x >= 32 || (x >= 8 && x < 24 && y >= 8 && y < 24);
                std::uint8_t* p = picture.Pixel(x, y);
                p[0] = p[1] = p[2] = static_cast<std::uint8_t>(light ? 220 - x % 3 : 30 + y % 5);
            }
        }
        ASSERT_TRUE(SaveImageFile(picture, folder / "hall.png"));
        Ok({"new", "tour"});
        Ok({"picture", "tour.vlm", "hall.png"});
        Ok({"area", "add", "tour.vlm", "Door", "Window"});
    }

    CliResult Run(std::vector<std::string> args) { return RunCli(args, folder.Path()); }

    std::string Ok(std::vector<std::string> args) {
        const CliResult r = Run(args);
        EXPECT_EQ(r.status, 0) << args[0] << ": " << r.err;
        return r.out;
    }

    Bitmap StoredMap(const std::string& name = "hall.png") {
        Bitmap map;
        if (!LoadImageFile(map, folder / ("Maps/" + name))) {
            map.Resize(64, 48);
        }
        return map;
    }

    int Count(const Bitmap& map, int value) {
        int count = 0;
        for (int y = 0; y < map.Height(); ++y) {
            for (int x = 0; x < map.Width(); ++x) {
                count += AreaAt(map, x, y) == value;
            }
        }
        return count;
    }

    TempFolder folder;
};

}  // namespace velmora::test
