#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "canvas/map/line_raster.h"
#include "canvas/shape_fixture.h"

namespace velmora::test {
namespace {

TEST_F(ShapeVerbs, FillShapesAndRegions) {
    EXPECT_EQ(Ok({"fill", "tour.vlm", "Door", "--ellipse", "0,0,4,4"}), "0,0,4,4\n");
    EXPECT_EQ(Count(StoredMap(), 1), 12);
    EXPECT_EQ(Ok({"fill", "tour.vlm", "Window", "--polygon", "0,0", "8,0", "0,8"}), "0,0,7,7\n");
    EXPECT_EQ(Count(StoredMap(), 1), 12);  // without --overwrite Door keeps its pixels
    EXPECT_EQ(Count(StoredMap(), 2), 28 - 12);
    // Nothing to write: no output, success.
    EXPECT_EQ(Ok({"fill", "tour.vlm", "Window", "--polygon", "0,0", "8,0", "0,8"}), "");

    // The region of no area around them, then a refusal inside an area, then --overwrite.
    EXPECT_EQ(Ok({"fill", "tour.vlm", "Door", "--region", "40,40"}), "0,0,64,48\n");
    EXPECT_EQ(Count(StoredMap(), 2), 16);
    const CliResult refused = Run({"fill", "tour.vlm", "Door", "--region", "1,5"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err,
              "Точка 1,5 принадлежит области «Window»: без --overwrite заливка пишет только в "
              "пиксели вне областей, поэтому ничего не изменено.\n");
    // Door's disc cuts Window in two: only the 4-connected part under 1,5 is erased.
    EXPECT_EQ(Ok({"fill", "tour.vlm", "0", "--region", "1,5", "--overwrite"}), "0,3,3,4\n");
    EXPECT_EQ(Count(StoredMap(), 2), 9);

    struct Bad {
        std::vector<std::string> args;
        int status;
        std::string err;
    };
    const std::vector<Bad> bad = {
        {{"fill", "tour.vlm", "Door", "--polygon", "0,0", "5,5"},
         1,
         "--polygon: многоугольнику нужно не меньше 3 точек, а их 2.\n"},
        {{"fill", "tour.vlm", "Door", "--region", "64,0"},
         1,
         "Точка 64,0 лежит вне изображения 64 × 48.\n"},
        {{"fill", "tour.vlm", "Door"},
         2,
         "fill ждёт одну из форм: --rect, --ellipse, --polygon или --region.\n"},
        {{"fill", "tour.vlm", "Door", "--ellipse", "1,2,3"},
         2,
         "--ellipse ждёт 4 целых числа через запятую: 1,2,3\n"},
        {{"fill", "tour.vlm", "0", "--rect", "0,0,5,5"}, 2, "Область не найдена: 0\n"},
    };
    const Bitmap before = StoredMap();
    for (const Bad& b : bad) {
        SCOPED_TRACE(b.args.back());
        const CliResult r = Run(b.args);
        EXPECT_EQ(r.status, b.status);
        EXPECT_EQ(r.err, b.err);
        EXPECT_EQ(r.out, "");
    }
    EXPECT_TRUE(StoredMap() == before);
}

TEST_F(ShapeVerbs, WandAndObjectSelection) {
    // The light square is 4-connected to nothing else light; --global adds the right half.
    EXPECT_EQ(Ok({"wand", "tour.vlm", "Door", "--at", "10,10"}), "8,8,16,16\n");
    EXPECT_EQ(Ok({"wand", "tour.vlm", "Window", "--at", "10,10", "--global", "--tolerance", "5"}),
              "32,0,32,48\n");
    EXPECT_EQ(Count(StoredMap(), 1), 256);
    EXPECT_EQ(Count(StoredMap(), 2), 32 * 48);

    Ok({"clear-map", "tour.vlm"});
    EXPECT_EQ(Ok({"select-object", "tour.vlm", "Door", "--box", "4,4,24,24"}), "8,8,16,16\n");
    EXPECT_EQ(Count(StoredMap(), 1), 256);

    const std::vector<std::pair<std::vector<std::string>, std::string>> bad = {
        {{"wand", "tour.vlm", "Door", "--at", "-1,3"},
         "Точка -1,3 лежит вне изображения 64 × 48.\n"},
        {{"select-object", "tour.vlm", "Door", "--box", "70,0,10,10"},
         "Рамка 70,0,10,10 лежит вне изображения 64 × 48.\n"},
    };
    for (const auto& [args, err] : bad) {
        const CliResult r = Run(args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, err);
    }
    EXPECT_EQ(Count(StoredMap(), 1), 256);
}

TEST_F(ShapeVerbs, ImportReadsImageMapsSvgAndJson) {
    WriteFile(folder / "map.html",
              "<html><body><img usemap=#m><map name=m>\n"
              "<area shape=rect coords=\"0,0,10,10\" alt=\"Door\">\n"
              "<AREA SHAPE=circle COORDS=\"30 30 5\" title=Круг>\n"
              "<area shape=poly coords=\"2,2,8,2,8,8,2,8\" nohref>\n"
              "<area shape=poly coords=\"0,20,10,20,10,30\">\n"
              "</map></body></html>");
    EXPECT_EQ(Ok({"import-shapes", "tour.vlm", "map.html", "--prefix", "Фигура "}),
              "3\tDoor_2\n4\tКруг\n5\tФигура 1\n");
    Bitmap map = StoredMap();
    EXPECT_EQ(Count(map, 3), 100);  // the nohref square comes later: the rect keeps it
    EXPECT_EQ(AreaAt(map, 30, 30), 4);
    EXPECT_EQ(AreaAt(map, 34, 30), 4);
    EXPECT_EQ(AreaAt(map, 36, 30), 0);
    EXPECT_EQ(AreaAt(map, 9, 21), 5);

    WriteFile(folder / "shapes.svg",
              "<?xml version=\"1.0\"?>\n"
              "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 32 24\">\n"
              " <g transform=\"translate(20 0)\">\n"
              "  <rect x=\"0\" y=\"0\" width=\"5\" height=\"5\"><title>Квадрат</title></rect>\n"
              "  <path id=\"hook\" d=\"M0 10 h4 v4 q-2 2 -4 0 z\"/>\n"
              " </g>\n"
              " <ellipse cx=\"8\" cy=\"20\" rx=\"2\" ry=\"1\"/>\n"
              "</svg>\n");
    EXPECT_EQ(Ok({"import-shapes", "tour.vlm", "shapes.svg"}),
              "6\tКвадрат\n7\thook\n8\tОбласть_1\n");
    map = StoredMap();
    EXPECT_EQ(Count(map, 6), 100);  // viewBox 32 x 24 stretched onto 64 x 48
    EXPECT_EQ(AreaAt(map, 40, 0), 6);
    EXPECT_EQ(AreaAt(map, 47, 27), 7);
    EXPECT_EQ(AreaAt(map, 16, 40), 8);

    WriteFile(folder / "list.json",
              "[{\"name\": \"Window\", \"points\": [[50, 40], [60, 40], [60, 45]]},"
              " {\"points\": [[50, 46], [60, 46], [60, 48], [50, 48]]},"
              " {\"name\": \"Window\", \"points\": [[0, 40], [4, 40], [4, 44], [0, 44]]}]");
    EXPECT_EQ(Ok({"import-shapes", "tour.vlm", "list.json"}), "9\tWindow_2\n10\tОбласть_1_2\n");
    map = StoredMap();
    EXPECT_EQ(AreaAt(map, 1, 41), 9);  // one name, one area
    EXPECT_EQ(Count(map, 10), 20);
}

TEST_F(ShapeVerbs, BadMarkupChangesNothing) {
    std::string longPath = "<svg xmlns=\"http://www.w3.org/2000/svg\"><path d=\"M0 0";
    for (int i = 0; i < 1'100'000; ++i) {
        longPath += "l1 0";
    }
    longPath += "\"/></svg>";
    struct Case {
        const char* file;
        std::string bytes;
        std::string err;
    };
    const std::vector<Case> cases = {
        {"a.svg", "<svg><rect width=\"5\" height=\"5\"></svg>",
         "a.svg: строка 1: файл не читается как SVG ("},
        {"b.svg", "<svg><path d=\"M0 0 L 5 5 X 3\"/></svg>",
         "b.svg: строка 1: <path>: неизвестная команда \"X\" в пути d."},
        {"c.svg", "<svg><polygon points=\"0,0 5,5\"/></svg>",
         "c.svg: строка 1: <polygon>: многоугольнику нужно не меньше 3 точек, а их 2."},
        {"d.svg", "<svg>\n<path id=\"big\" d=\"M0 0 L1e12 0 L5 5\"/></svg>",
         "d.svg: строка 2: <path id=\"big\">: в пути d число вне допустимых пределов "
         "(±10000000)."},
        {"e.svg", "<svg><rect width=\"5\" height=\"5\" transform=\"spin(3)\"/></svg>",
         "e.svg: строка 1: <rect>: неизвестное преобразование \"spin\" в transform."},
        {"f.svg", longPath, "f.svg: строка 1: "},
        {"g.html", "<map><area shape=poly coords=\"0,0,5,5\"></map>",
         "g.html: строка 1: <area>: для poly в coords нужно чётное число чисел, не меньше 6 (3 "
         "точки), а их 4."},
        {"h.html", "<map><area shape=rect coords=\"0,0,NaN,5\"></map>",
         "h.html: строка 1: <area>: в coords не число: \"NaN,5\"."},
        {"i.html", "<p>no map here</p>", "i.html: в файле нет ни одной фигуры."},
        {"j.json", "[{\"points\": [[0, 0], [5, 5], [1e12, 0]]}]",
         "j.json: фигура 1, точка 3: координата 1e+12 вне допустимых пределов (±10000000)."},
        {"k.json", "[{\"points\": [[0, 0], [5, 5]]}]",
         "k.json: фигура 1: многоугольнику нужно не меньше 3 точек, а их 2."},
        {"l.json", "[{\"points\": [[0, 0], [5, 5], [NaN, 0]]}]",
         "l.json: строка 1, позиция 31: файл не читается как JSON."},
        {"o.json", "[{\"points\": [[0, 0], [5, 5], [1e999, 0]]}]",
         "o.json: файл не читается как JSON: число вне допустимых пределов."},
        {"m.json", "{\"points\": []}",
         "m.json: ожидается список фигур [{\"name\": ..., \"points\": [[x, y], ...]}]."},
        {"n.json", "[{\"name\": 5, \"points\": [[0, 0], [5, 5], [0, 5]]}]",
         "n.json: фигура 1: \"name\" должно быть строкой."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        WriteFile(folder / c.file, c.bytes);
        const CliResult r = Run({"import-shapes", "tour.vlm", c.file});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err.substr(0, c.err.size()), c.err);
        EXPECT_EQ(r.out, "");
    }
    EXPECT_EQ(Ok({"area", "list", "tour.vlm"}), "1\tDoor\n2\tWindow\n");
    EXPECT_EQ(Count(StoredMap(), 0), 64 * 48);
}

TEST_F(ShapeVerbs, ImportStopsAtTheAreaLimit) {
    std::string json = "[";
    for (int i = 0; i < 260; ++i) {
        json += std::string(i ? "," : "") + "{\"points\": [[" + std::to_string(i % 64) + ", 0], [" +
                std::to_string(i % 64 + 1) + ", 0], [" + std::to_string(i % 64 + 1) + ", 48]]}";
    }
    WriteFile(folder / "many.json", json + "]");
    const CliResult r = Run({"import-shapes", "tour.vlm", "many.json"});
    // What fits is imported and the rest counted: a success, not a refusal.
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err,
              "Превышен лимит областей. Максимум 255.\n"
              "Без области остались фигуры: 7. Остальные импортированы.\n");
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 253);
    EXPECT_NE(r.out.find("255\tОбласть_253\n"), std::string::npos);
}

// What shapes prints, imported into an empty project over the same picture, gives every area
// back: at least 99 % of its pixels and none of another area's.
TEST_F(ShapeVerbs, ShapesRoundTripInEveryFormat) {
    Ok({"area", "add", "tour.vlm", "Ring", "Inside", "Дуга \"A&B\""});
    Ok({"paint", "tour.vlm", "Door", "--brush", "9", "--stroke", "3,3", "20,14", "25,40"});
    Ok({"fill", "tour.vlm", "Ring", "--rect", "30,2,30,30", "--overwrite"});
    Ok({"fill", "tour.vlm", "0", "--polygon", "36,8", "54,8", "54,26", "36,26", "--overwrite"});
    Ok({"fill", "tour.vlm", "Inside", "--ellipse", "38,10,14,14"});
    Ok({"fill", "tour.vlm", "Window", "--polygon", "0,47", "63,30", "63,47"});
    Ok({"paint", "tour.vlm", "Дуга \"A&B\"", "--brush", "3", "--stroke", "5,30", "15,25", "45,45"});
    const Bitmap original = StoredMap();
    const std::vector<std::string> names = {"Door", "Window", "Ring", "Inside", "Дуга \"A&B\""};

    for (const std::string format : {"html", "svg", "json"}) {
        SCOPED_TRACE(format);
        // A project of its own folder, so that its map is a fresh one.
        const std::string place = folder / format;
        std::filesystem::create_directory(place);
        std::filesystem::copy_file(folder / "hall.png", place + "/hall.png");
        WriteFile(place + "/out." + format, Ok({"shapes", "tour.vlm", "--format", format}));
        auto okIn = [&place](std::vector<std::string> args) {
            const CliResult r = RunCli(args, place);
            EXPECT_EQ(r.status, 0) << args[0] << ": " << r.err;
            return r.out;
        };
        okIn({"new", "copy"});
        okIn({"picture", "copy.vlm", "hall.png"});
        const std::string added = okIn({"import-shapes", "copy.vlm", "out." + format});
        // New numbers in the order of the file; map them back by name.
        std::map<int, int> toOriginal;
        std::size_t at = 0;
        while (at < added.size()) {
            const std::size_t tab = added.find('\t', at);
            const std::size_t end = added.find('\n', tab);
            const int number = std::stoi(added.substr(at, tab - at));
            const std::string name = added.substr(tab + 1, end - tab - 1);
            const auto found = std::find(names.begin(), names.end(), name);
            ASSERT_NE(found, names.end()) << name;
            toOriginal[number] = static_cast<int>(found - names.begin()) + 1;
            at = end + 1;
        }
        EXPECT_EQ(toOriginal.size(), names.size());
        Bitmap imported;
        ASSERT_TRUE(LoadImageFile(imported, place + "/Maps/hall.png"));
        std::map<int, int> kept;
        std::map<int, int> total;
        int foreign = 0;
        for (int y = 0; y < 48; ++y) {
            for (int x = 0; x < 64; ++x) {
                const int was = AreaAt(original, x, y);
                const int now = AreaAt(imported, x, y);
                const int nowAsOriginal = now == 0 ? 0 : toOriginal[now];
                total[was] += 1;
                kept[was] += was != 0 && nowAsOriginal == was;
                foreign += nowAsOriginal != 0 && nowAsOriginal != was;
            }
        }
        for (int area = 1; area <= 5; ++area) {
            EXPECT_GE(kept[area], total[area] * 0.99) << names[area - 1];
        }
        EXPECT_EQ(foreign, 0);
    }
}

}  // namespace
}  // namespace velmora::test
