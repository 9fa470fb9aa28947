// Where the path and transform readers put a shape, in pixels of the project's map, after
// import-shapes: arcs, cubic and quadratic curves with their smooth forms, relative and implicit
// commands, nested and chained transforms. The picture is 64 x 48 and the files have no
// viewBox, so a user unit is a pixel; a pixel belongs to a shape when its centre lies inside.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "canvas/shape_fixture.h"

namespace velmora::test {
namespace {

struct Landing {
    const char* what;
    std::string content;  // inside <svg>: one shape with id="s" (nested in groups or not)
    Rect box;             // the pixels' bounding box
    std::vector<std::pair<int, int>> inside;
    std::vector<std::pair<int, int>> outside;
};

Rect BoxOf(const Bitmap& map, int value) {
    Rect box;
    for (int y = 0; y < map.Height(); ++y) {
        for (int x = 0; x < map.Width(); ++x) {
            if (AreaAt(map, x, y) == value) {
                box = box.United(Rect{x, y, 1, 1});
            }
        }
    }
    return box;
}

TEST_F(ShapeVerbs, SvgPathsAndTransformsLandWhereTheySay) {
    const std::vector<Landing> cases = {
        // Arcs: centre (20, 10), radius 10; the sweep flag picks the half.
        {"arc, sweep 1: the upper half disc",
         "<path id='s' d='M10 10 A10 10 0 0 1 30 10 Z'/>",
         {10, 0, 20, 10},
         {{20, 1}, {11, 9}},
         {{20, 11}, {11, 1}}},
        {"arc, sweep 0: the lower half disc",
         "<path id='s' d='M10 10 A10 10 0 0 0 30 10 Z'/>",
         {10, 10, 20, 10},
         {{20, 18}},
         {{20, 8}}},
        {"arc, radii too small for the end points are scaled up to the half disc",
         "<path id='s' d='M10 10 A1 1 0 0 1 30 10 Z'/>",
         {10, 0, 20, 10},
         {{20, 1}},
         {{20, 11}}},
        {"arc, large: three quarters of the disc around (20, 20), the upper right one left out",
         "<path id='s' d='M30 20 A10 10 0 1 1 20 10 L20 20 Z'/>",
         {10, 10, 20, 20},
         {{15, 15}, {25, 25}, {15, 25}},
         {{25, 15}}},
        {"arc, rotated ellipse: rx 20 ry 5 at 90 degrees stands upright around (20, 24)",
         "<path id='s' d='M20 4 A20 5 90 0 1 20 44 A20 5 90 0 1 20 4 Z'/>",
         {15, 4, 10, 40},
         {{20, 6}, {20, 41}, {16, 24}},
         {{14, 24}, {25, 24}}},
        // Cubic: the hump from (0, 40) to (40, 40) tops out at y = 10.
        {"cubic",
         "<path id='s' d='M0 40 C0 0 40 0 40 40 Z'/>",
         {0, 10, 40, 30},
         {{19, 10}, {2, 38}},
         {{19, 9}, {2, 20}}},
        // S mirrors the last control point (20, 10) through (20, 30): the second hump dips
        // to y = 45 at x = 30.
        {"smooth cubic S",
         "<path id='s' d='M0 30 C0 10 20 10 20 30 S40 50 40 30 Z'/>",
         {0, 15, 40, 30},
         {{10, 20}, {30, 42}},
         {{30, 20}, {10, 40}}},
        {"relative cubic c and s",
         "<path id='s' d='M0 30 c0 -20 20 -20 20 0 s20 20 20 0 z'/>",
         {0, 15, 40, 30},
         {{10, 20}, {30, 42}},
         {{30, 20}, {10, 40}}},
        // Q tops out at y = 20; T mirrors its control (10, 10) to (30, 50): a dip to y = 40.
        {"quadratic Q and smooth T",
         "<path id='s' d='M0 30 Q10 10 20 30 T40 30 Z'/>",
         {0, 20, 40, 20},
         {{10, 21}, {30, 38}},
         {{10, 19}, {30, 41}}},
        {"relative q and t",
         "<path id='s' d='M0 30 q10 -20 20 0 t20 0 z'/>",
         {0, 20, 40, 20},
         {{10, 21}, {30, 38}},
         {{10, 19}, {30, 41}}},
        // Relative moves after z start from the subpath's first point.
        {"relative h v and m after z: two squares",
         "<path id='s' d='m10 10 h10 v10 h-10 z m20 0 h10 v10 h-10 z'/>",
         {10, 10, 30, 10},
         {{15, 15}, {35, 15}},
         {{25, 15}}},
        {"implicit lines after M and after L",
         "<path id='s' d='M10 10 30 10 L30 20 10 20z'/>",
         {10, 10, 20, 10},
         {{10, 10}, {29, 19}},
         {{30, 15}}},
        {"implicit relative lines after m, packed numbers",
         "<path id='s' d='m1e1,10 20,0 0-10-20,0z'/>",
         {10, 0, 20, 10},
         {{10, 0}, {29, 9}},
         {{15, 10}}},
        {"implicit repeated arcs and curves",
         "<path id='s' d='M0 20 C0 0 10 0 10 20 10 0 20 0 20 20 A5 5 0 0 1 30 20 5 5 0 0 1 40 "
         "20z'/>",
         {0, 5, 40, 15},
         {{5, 10}, {15, 10}, {25, 17}, {35, 17}},
         {{25, 10}}},
        // Transforms: the element's own first, then each group's outwards.
        {"nested groups: translate, scale, and rotate on the element",
         "<g transform='translate(30 10)'><g transform='scale(2)'>"
         "<rect id='s' width='5' height='5' transform='rotate(90)'/></g></g>",
         {20, 10, 10, 10},
         {{20, 10}, {29, 19}},
         {{30, 15}}},
        {"a list applies right to left: scale(2) translate(10 0)",
         "<rect id='s' width='5' height='5' transform='scale(2) translate(10 0)'/>",
         {20, 0, 10, 10},
         {{20, 0}},
         {{19, 0}, {30, 0}}},
        {"rotate about a point, then matrix and skewX in a group",
         "<g transform='matrix(1 0 0 1 10 5) skewX(45)'>"
         "<rect id='s' x='0' y='0' width='10' height='10' transform='rotate(180 5 5)'/></g>",
         {10, 5, 19, 10},  // a centre on the right edge is outside
         {{13, 6}, {28, 14}},
         {{25, 6}, {12, 14}}},
        // Scaled by 2 to cover 20 x 10, aligned at the bottom: y -20..20, cut to 10..20.
        {"a symbol's viewport cuts what overflows it",
         "<defs><symbol id='t' viewBox='0 0 10 20' preserveAspectRatio='xMinYMax slice'>"
         "<rect width='10' height='20'/></symbol></defs>"
         "<use id='s' href='#t' x='10' y='10' width='20' height='10'/>",
         {10, 10, 20, 10},
         {{10, 10}, {29, 19}},
         {{15, 9}, {15, 20}}},
        // 50 % by 25 % of the 64 x 48 picture: 32 x 12, the symbol's square centred in it.
        {"a symbol sized in percentages",
         "<defs><symbol id='t' viewBox='0 0 10 10'><rect width='10' height='10'/></symbol>"
         "</defs><use id='s' href='#t' width='50%' height='25%'/>",
         {10, 0, 12, 12},
         {{10, 0}, {21, 11}},
         {{9, 5}, {22, 5}}},
        {"viewBox 0 0 32 24 stretched on the picture, with a group's translate",
         "<g transform='translate(4 2)'><rect id='s' width='8' height='4'/></g>",
         {8, 4, 16, 8},
         {{8, 4}, {23, 11}},
         {{24, 4}}},
    };
    for (const Landing& c : cases) {
        SCOPED_TRACE(c.what);
        Ok({"clear-map", "tour.vlm"});
        const bool viewBox = std::string(c.what).rfind("viewBox", 0) == 0;
        WriteFile(folder / "case.svg", std::string("<svg xmlns='http://www.w3.org/2000/svg'") +
                                           (viewBox ? " viewBox='0 0 32 24'" : "") + ">" +
                                           c.content + "</svg>");
        const std::string added = Ok({"import-shapes", "tour.vlm", "case.svg"});
        ASSERT_EQ(added.substr(added.find('\t'), 2), "\ts");  // s, s_2, ...
        const int number = std::stoi(added);
        const Bitmap map = StoredMap();
        const Rect box = BoxOf(map, number);
        EXPECT_EQ(box.x, c.box.x);
        EXPECT_EQ(box.y, c.box.y);
        EXPECT_EQ(box.width, c.box.width);
        EXPECT_EQ(box.height, c.box.height);
        for (const auto& [x, y] : c.inside) {
            EXPECT_EQ(AreaAt(map, x, y), number) << x << "," << y << " inside";
        }
        for (const auto& [x, y] : c.outside) {
            EXPECT_EQ(AreaAt(map, x, y), 0) << x << "," << y << " outside";
        }
    }
}

}  // namespace
}  // namespace velmora::test

namespace velmora::test {
namespace {

// What a renderer draws but is no filled shape is named in one notice; what it does not draw
// (hidden, in defs) is not. A <use> that refers to nothing or to itself is named too.
TEST_F(ShapeVerbs, SvgElementsThatAreNoFilledShapeAreNamed) {
    WriteFile(folder / "mixed.svg",
              "<svg xmlns='http://www.w3.org/2000/svg'>\n"
              "<line id='l' x1='0' y1='0' x2='10' y2='10' stroke='black'/>\n"
              "<g><text x='5' y='20'>Дверь</text></g>\n"
              "<image href='door.png' width='5' height='5'/>\n"
              "<use id='x' href='#none'/>\n"
              "<g id='g'><rect id='r' width='4' height='4'/><use id='loop' href='#g'/></g>\n"
              "<line x2='9' visibility='hidden'/><defs><line id='kept' x2='9'/></defs>\n"
              "<switch><rect width='2' height='2'/></switch>\n"
              "</svg>\n");
    const CliResult r = Run({"import-shapes", "tour.vlm", "mixed.svg"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "3\tr\n");
    EXPECT_EQ(r.err,
              "mixed.svg: областями не стали элементы, которые не являются залитыми фигурами: "
              "строка 2: <line id=\"l\">; строка 3: <text>; строка 4: <image>; строка 5: <use "
              "id=\"x\"> (ссылка \"#none\" ни на что); строка 6: <use id=\"loop\"> (ссылка по "
              "кругу на #g); строка 8: <switch>.\n");
    EXPECT_EQ(Count(StoredMap(), 3), 16);

    WriteFile(folder / "lines.svg", "<svg><line x2='9'/><line x2='9'/></svg>");
    const CliResult none = Run({"import-shapes", "tour.vlm", "lines.svg"});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.err,
              "lines.svg: в файле нет ни одной фигуры.\nlines.svg: областями не стали элементы, "
              "которые не являются залитыми фигурами: строка 1: <line>; строка 1: <line>.\n");
}

// Uses that multiply into too many elements, or nest too deep, are refused as a whole.
TEST_F(ShapeVerbs, SvgUsesThatRunAwayAreRefused) {
    std::string laughs = "<svg><defs><rect id='a0' width='1' height='1'/>";
    for (int level = 1; level <= 7; ++level) {
        laughs += "<g id='a" + std::to_string(level) + "'>";
        for (int i = 0; i < 10; ++i) {
            laughs += "<use href='#a" + std::to_string(level - 1) + "'/>";
        }
        laughs += "</g>";
    }
    laughs += "</defs><use href='#a7'/></svg>";
    std::string deep = "<svg><defs><rect id='d0' width='1' height='1'/>";
    for (int level = 1; level <= 40; ++level) {
        deep += "<g id='d" + std::to_string(level) + "'><use href='#d" + std::to_string(level - 1) +
                "'/></g>";
    }
    deep += "</defs><use href='#d40'/></svg>";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {laughs, "элементы <use> дают слишком много элементов (больше 1000000)."},
        {deep, "элементы <use> вложены слишком глубоко (больше 32)."},
    };
    for (const auto& [bytes, err] : cases) {
        WriteFile(folder / "uses.svg", bytes);
        const CliResult r = Run({"import-shapes", "tour.vlm", "uses.svg"});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err.rfind("uses.svg: строка 1: <", 0), 0u) << r.err;
        EXPECT_NE(r.err.find(err), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
    EXPECT_EQ(Ok({"area", "list", "tour.vlm"}), "1\tDoor\n2\tWindow\n");
}

}  // namespace
}  // namespace velmora::test
