// Writes the seed corpora: small valid inputs for every fuzz target, made by the system's own
// writers, into one folder per target under the folder given as the only argument.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "export/data_script.h"
#include "export/page.h"
#include "fuzz/fuzz_support.h"
#include "store/files.h"
#include "store/image_file.h"
#include "store/paths.h"

namespace {

using namespace velmora;

Bitmap Pattern(int width, int height, int colours) {
    Bitmap bitmap(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int c = (x / 3 + y) % colours;
            std::uint8_t* p = bitmap.Pixel(x, y);
            p[0] = static_cast<std::uint8_t>(c * 50);
            p[1] = static_cast<std::uint8_t>(255 - c * 30);
            p[2] = static_cast<std::uint8_t>(c * 90 + x);
        }
    }
    return bitmap;
}

void ImageSeeds(const std::string& root) {
    const struct {
        const char* folder;
        ImageFormat format;
    } formats[] = {{"image_png", ImageFormat::Png},
                   {"image_jpeg", ImageFormat::Jpeg},
                   {"image_gif", ImageFormat::Gif},
                   {"image_bmp", ImageFormat::Bmp}};
    const Bitmap pictures[] = {Pattern(1, 1, 1), Pattern(7, 5, 4), Pattern(33, 17, 200)};
    for (const auto& f : formats) {
        const std::string folder = JoinPath(root, f.folder);
        fuzz::MakeFolders(folder);
        int i = 0;
        for (const Bitmap& picture : pictures) {
            fuzz::WriteBytes(JoinPath(folder, "seed" + std::to_string(i++)),
                             EncodeImage(picture, f.format));
        }
    }
}

void ProjectSeeds(const std::string& root, const std::string& work) {
    const std::string project = JoinPath(root, "project");
    const std::string import = JoinPath(root, "import");
    fuzz::MakeFolders(project);
    fuzz::MakeFolders(import);
    const struct {
        bool picture;
        int areas;
    } cases[] = {{false, 0}, {true, 0}, {true, 2}, {false, 3}};
    int i = 0;
    for (const auto& c : cases) {
        const std::string path = JoinPath(work, "seed.vlm");
        fuzz::MakeSampleProject(path, c.picture, c.areas);
        const std::string bytes = ReadWholeFile(path);
        const std::string name = "seed" + std::to_string(i++);
        fuzz::WriteBytes(JoinPath(project, name), bytes);
        fuzz::WriteBytes(JoinPath(import, name), bytes);
    }
}

void MergeSeeds(const std::string& root, const std::string& work) {
    const std::string merge = JoinPath(root, "merge");
    fuzz::MakeFolders(merge);
    const std::string path = JoinPath(work, "seed.vlm");
    fuzz::MakeSampleProject(path, true, 2);
    std::string pieces[2][2];
    for (int p = 0; p < 2; ++p) {
        fuzz::Session session;
        COMMON_DATA& data = session.data;
        data.OpenProject(path);
        data.LoadPicture();
        data.ListAreas();
        data.project.PageId = DrawPageId(data.project.PageId);
        const std::string page = JoinPath(work, "page.html");
        fuzz::MakeFolders(JoinPath(work, "VLM"));
        WritePage(data, page);
        WriteDataScript(data, JoinPath(work, "VLM/page.js"));
        pieces[p][0] = ReadWholeFile(page);
        pieces[p][1] = ReadWholeFile(JoinPath(work, "VLM/page.js"));
    }
    const std::string mark(fuzz::kPieceMark);
    fuzz::WriteBytes(JoinPath(merge, "seed0"), pieces[0][0] + mark + pieces[0][1] + mark +
                                                   pieces[1][0] + mark + pieces[1][1]);
    // Pages without a picture line and scripts without an object.
    fuzz::WriteBytes(JoinPath(merge, "seed1"), "<html>" + mark + "let VLM_DATA=[];" + mark +
                                                   pieces[1][0] + mark + pieces[1][1]);
}

void MapTextSeeds(const std::string& root) {
    const std::string folder = JoinPath(root, "map_text");
    fuzz::MakeFolders(folder);
    const std::vector<std::string> seeds = {
        std::string("\x07\x00\x05\x00\x02\x03\x00\x02\x05\x05", 10),
        std::string("\x2c\x02\x04\x00\x05\x3f", 6),
        std::string("\x58\x02\x03\x85\x00\x3f\x07\x00", 8),
        std::string("\x01\x00\x01\x00\x01\x00", 6),
    };
    for (std::size_t i = 0; i < seeds.size(); ++i) {
        fuzz::WriteBytes(JoinPath(folder, "seed" + std::to_string(i)), seeds[i]);
    }
}

// One byte picks the kind (see shapes_fuzzer.cpp), the rest is the file.
void ShapeSeeds(const std::string& root) {
    const std::string folder = JoinPath(root, "shapes");
    fuzz::MakeFolders(folder);
    const std::vector<std::string> seeds = {
        "h<map><area shape=poly coords=\"1,1,9,1,9,9\" alt=A><area shape=circle coords=5,5,3 "
        "nohref><area coords=0,0,4,4 title=B></map>",
        "s<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 8 6\"><g transform=\"rotate(10 "
        "4 3) scale(1.5)\"><path d=\"M1 1h3v2q-1 1-2 0t-1 0c1 1 2 1 3 0s1-1 0-2a2 1 30 1 0 -1 -1z"
        "m0 0l1 1\"><title>P</title></path><rect x=\"1\" y=\"1\" width=\"3\" height=\"2\" "
        "rx=\"1\"/><circle cx=\"4\" cy=\"3\" r=\"2\"/><polyline points=\"0,0 3,0 3,3\"/>"
        "</g></svg>",
        // Styles from a sheet, attributes and groups; uses of shapes and of a symbol.
        "s<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
        "viewBox=\"0 0 8 8\" preserveAspectRatio=\"xMinYMax slice\"><style>/* c */ .h{display:"
        "none} #g > path, g.e rect{fill-rule:evenodd !important} *{visibility:visible}@media x{"
        "a{b:c}}</style><defs><symbol id=\"s\" viewBox=\"0 0 2 2\" preserveAspectRatio=\"none\">"
        "<circle cx=\"1\" cy=\"1\" r=\"1\"/><use href=\"#r\"/></symbol><rect id=\"r\" "
        "width=\"1\" height=\"1\"/></defs><g id=\"g\" class=\"e h2\" style=\"clip-rule:"
        "evenodd;visibility:hidden\"><path d=\"M0 0h4v4h-4z M1 1h2v2h-2z\" visibility=\"visible"
        "\"/><rect class=\"h\" width=\"2\" height=\"2\"/></g><use xlink:href=\"#s\" x=\"4\" "
        "width=\"50%\" height=\"3\"/><use href=\"#r\" x=\"1\" y=\"5\" transform=\"scale(2)\"/>"
        "<use href=\"#g\"/><g id=\"c\"><use href=\"#c\"/></g><svg x=\"1\" y=\"6\" width=\"2\""
        " height=\"2\" viewBox=\"0 0 1 1\"><rect width=\"1\" height=\"1\"/></svg><line x2=\"3"
        "\"/><text>t</text><image/></svg>",
        // Clip paths (with a use, a transform and clip-rule) and a viewport that cuts.
        "s<svg xmlns=\"http://www.w3.org/2000/svg\"><clipPath id=\"k\" transform=\"scale(2)\" "
        "style=\"clip-rule:evenodd\"><path d=\"M0 0h9v9h-9z M2 2h5v5h-5z\"/><use href=\"#q\" "
        "x=\"1\"/><text>x</text></clipPath><rect id=\"q\" width=\"3\" height=\"3\" "
        "clip-path=\"url('#k')\"/><g clip-path=\"url(#k)\"><circle cx=\"9\" cy=\"9\" r=\"9\" "
        "style=\"clip-path:url(#none)\"/></g><svg width=\"5\" height=\"50%\"><rect "
        "width=\"9\" height=\"9\"/></svg></svg>",
        "j[{\"name\": \"A\", \"points\": [[0, 0], [5, 0], [5, 5]]}, {\"points\": [[1, 1], "
        "[2, 1], [2, 2]], \"hole\": true}]",
        // Entities, which are refused: internal, parameter and external.
        "s<!DOCTYPE svg [<!ENTITY e \"AAAA\"><!ENTITY % p \"x\"><!ENTITY x SYSTEM \"f\">]>"
        "<svg><rect id=\"&e;&e;\" width=\"5\" height=\"5\"><title>&e;&amp;&#65;</title>"
        "</rect></svg>",
        // Declared and marked encodings, and a NUL.
        "h<html><head><meta charset=\"windows-1251\"></head><map><area coords=0,0,4,4 "
        "alt=\"\xCA\xF3\"></map></html>",
        std::string("h\xFF\xFE<\0m\0a\0p\0>\0<\0a\0r\0e\0a\0 \0c\0o\0o\0r\0d\0s\0=\0"
                    "1\0,\0\x31\0,\0\x35\0,\0\x35\0>\0",
                    55),
        std::string("s\xFE\xFF\0<\0s\0v\0g\0>\0<\0r\0e\0c\0t\0 \0w\0i\0d\0t\0h\0=\0\"\0\x35"
                    "\0\"\0 \0h\0e\0i\0g\0h\0t\0=\0\"\0\x35\0\"\0/\0>\0<\0/\0s\0v\0g\0>",
                    81),
        std::string("j\xFF\xFE[\0[\0]\0]\0\0\xD8", 13),
        std::string("h<map><area coords=0,0,4,4>\0<area coords=1,1,5,5></map>", 55),
    };
    for (std::size_t i = 0; i < seeds.size(); ++i) {
        fuzz::WriteBytes(JoinPath(folder, "seed" + std::to_string(i)), seeds[i]);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds FOLDER\n");
        return 2;
    }
    const std::string root = argv[1];
    try {
        const std::string work = JoinPath(fuzz::ScratchFolder(), "seeds");
        fuzz::MakeFolders(work);
        ImageSeeds(root);
        ProjectSeeds(root, work);
        MergeSeeds(root, work);
        MapTextSeeds(root);
        ShapeSeeds(root);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_seeds: %s\n", e.what());
        return 1;
    }
    return 0;
}
