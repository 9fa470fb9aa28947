#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export/map_encode.h"

namespace velmora {
namespace {

// A map whose rows are given as area numbers, all three bytes alike.
Bitmap MapOf(const std::vector<std::vector<int>>& rows) {
    Bitmap map(static_cast<int>(rows.at(0).size()), static_cast<int>(rows.size()));
    for (int y = 0; y < map.Height(); ++y) {
        for (int x = 0; x < map.Width(); ++x) {
            std::uint8_t* p = map.Pixel(x, y);
            p[0] = p[1] = p[2] = static_cast<std::uint8_t>(rows[y][x]);
        }
    }
    return map;
}

// One row of samples through the encoder sample by sample.
std::string EncodeSamples(const std::vector<int>& samples) {
    MAP_ENCODE encoder;
    for (int v : samples) {
        encoder.AddSample(v);
    }
    encoder.EndRow();
    return encoder.GetText();
}

std::vector<int> Repeat(int value, int count) {
    return std::vector<int>(count, value);
}

std::vector<int> Concat(std::vector<int> a, const std::vector<int>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(MapEncode, WorkedExample) {
    const Bitmap map = MapOf({{2, 2, 2, 2, 0, 0, 0},
                              {9, 9, 9, 9, 9, 9, 9},
                              {0, 0, 0, 0, 0, 0, 0},
                              {9, 9, 9, 9, 9, 9, 9},
                              {0, 0, 5, 5, 5, 5, 5}});
    EXPECT_EQ(EncodeMap(map, 7, 5), "02020002  00010503 ");
}

TEST(MapEncode, RowsOfSamples) {
    struct Case {
        const char* what;
        std::vector<int> samples;
        const char* text;
    };
    const Case cases[] = {
        {"300 of area 5", Repeat(5, 300), "05ff052e "},
        {"255 of area 5", Repeat(5, 255), "05ff0501 "},
        {"254 of area 5", Repeat(5, 254), "05fe "},
        {"508 of area 5", Repeat(5, 508), "05ff05fe "},
        {"509 of area 5", Repeat(5, 509), "05ff05ff0501 "},
        {"300 of no area", Repeat(0, 300), " "},
        {"299 of no area then area 7", Concat(Repeat(0, 299), Repeat(7, 1)), "00ff002d0701 "},
        {"area 255 alone", Repeat(255, 1), "ff01 "},
        {"leading, inner and trailing no area", {0, 3, 3, 0, 4, 0}, "00010302000104010001 "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(EncodeSamples(c.samples), c.text);
    }
}

TEST(MapEncode, EmptyAndTinyMaps) {
    EXPECT_EQ(EncodeMap(MapOf({{1}}), 1, 1), "0101 ");
    EXPECT_EQ(EncodeMap(MapOf({{0}}), 1, 1), " ");
    EXPECT_EQ(EncodeMap(Bitmap(10, 7), 10, 7), "    ");
    // Two pixels wide: x = 0 only; three wide: x = 0 and 2.
    EXPECT_EQ(EncodeMap(MapOf({{4, 6}}), 2, 1), "0401 ");
    EXPECT_EQ(EncodeMap(MapOf({{4, 6, 4}}), 3, 1), "0402 ");
}

TEST(MapEncode, OddRowsAndColumnsAreNeverRead) {
    const Bitmap map = MapOf({{0, 8, 0, 8}, {8, 8, 8, 8}, {0, 8, 0, 8}});
    EXPECT_EQ(EncodeMap(map, 4, 3), "  ");
}

// The whole-run path the map encoder takes must write what sample-by-sample feeding writes,
// across every boundary of the 255 rule.
TEST(MapEncode, RunsMatchSampleBySample) {
    for (int count : {1, 2, 253, 254, 255, 256, 507, 508, 509, 510, 1000}) {
        for (int before : {0, 1, 254}) {
            SCOPED_TRACE(std::to_string(before) + " then " + std::to_string(count));
            std::vector<int> samples = Concat(Repeat(3, before), Repeat(9, count));
            MAP_ENCODE runs;
            runs.AddRun(3, before);
            runs.AddRun(9, count);
            runs.EndRow();
            EXPECT_EQ(runs.GetText(), EncodeSamples(samples));
        }
    }
}

// A map smaller than the picture (never after loading, but cheap to rule out) reads as no area
// outside its pixels instead of reading past them.
TEST(MapEncode, PixelsOutsideTheBitmapReadAsNoArea) {
    const Bitmap map = MapOf({{1, 1}, {1, 1}});
    EXPECT_EQ(EncodeMap(map, 6, 4), "01010002  ");
}

TEST(MapEncode, ResetKeepsRowTextAndClearsTheRest) {
    MAP_ENCODE encoder;
    encoder.AddSample(1);
    encoder.EndRow();
    ASSERT_EQ(encoder.GetText(), "0101 ");
    encoder.Reset();
    EXPECT_EQ(encoder.GetText(), "");
    EXPECT_EQ(encoder.RunValue, -1);
    EXPECT_EQ(encoder.RunCount, 0);
    EXPECT_FALSE(encoder.ValueChanged);
}

}  // namespace
}  // namespace velmora
