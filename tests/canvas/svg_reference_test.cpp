// SVG import against a renderer: every case is a small SVG file imported into a real project
// with import-shapes, and the area of each element named in the case is compared with
// rsvg-convert's rendering of that element alone (the file with a last style rule that fills
// only that element; what is hidden stays hidden). A pixel of the rendering belongs to the
// element when it is at least half covered. Every element must agree at IoU 0.99 or better;
// an element that is drawn as nothing must give no area.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "canvas/shape_fixture.h"

namespace velmora::test {
namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 120;

struct DrawnCase {
    const char* what;
    std::string body;              // inside <svg width=160 height=120 ...>
    std::string rootAttributes;    // viewBox, preserveAspectRatio
    std::vector<std::string> ids;  // the elements compared
};

// Runs rsvg-convert; false when it cannot be run or fails.
bool Render(const std::string& svg, const std::string& png) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        const char* argv[] = {"rsvg-convert", "-b",        "white", "-o",
                              png.c_str(),    svg.c_str(), nullptr};
        ::execvp(argv[0], const_cast<char* const*>(argv));
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return pid > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class SvgAsDrawn : public ShapeVerbs {
protected:
    // The element alone as rsvg-convert fills it: a pixel at least half black.
    std::vector<bool> Rendered(const std::string& document, const std::string& id) {
        const std::string only =
            "<style>:root{fill:none!important;stroke:none!important}"
            "*{fill:inherit!important;stroke:none!important}#" +
            id + "{fill:#000!important}</style></svg>";
        std::string text = document;
        text.replace(text.rfind("</svg>"), 6, only);
        WriteFile(folder / "alone.svg", text);
        std::vector<bool> mask(kWidth * kHeight);
        Bitmap image;
        if (!Render(folder / "alone.svg", folder / "alone.png") ||
            !LoadImageFile(image, folder / "alone.png")) {
            ADD_FAILURE() << "rsvg-convert (Debian librsvg2-bin) did not render " << id;
            return mask;
        }
        EXPECT_EQ(image.Width(), kWidth);
        EXPECT_EQ(image.Height(), kHeight);
        for (int y = 0; y < std::min(kHeight, image.Height()); ++y) {
            for (int x = 0; x < std::min(kWidth, image.Width()); ++x) {
                mask[y * kWidth + x] = image.Pixel(x, y)[1] < 128;
            }
        }
        return mask;
    }

    // Imports the document into a new project over a kWidth x kHeight picture; the area of
    // each name.
    std::map<std::string, std::vector<bool>> Imported(const std::string& document,
                                                      const std::string& place) {
        std::filesystem::create_directory(place);
        Bitmap picture(kWidth, kHeight);
        EXPECT_TRUE(SaveImageFile(picture, place + "/wide.png"));
        WriteFile(place + "/case.svg", document);
        std::string added;
        for (const std::vector<std::string>& args : {std::vector<std::string>{"new", "case"},
                                                     {"picture", "case.vlm", "wide.png"},
                                                     {"import-shapes", "case.vlm", "case.svg"}}) {
            const CliResult r = RunCli(args, place);
            EXPECT_EQ(r.status, 0) << args[0] << ": " << r.err;
            added = r.out;
        }
        Bitmap map;
        EXPECT_TRUE(LoadImageFile(map, place + "/Maps/wide.png"));
        std::map<std::string, std::vector<bool>> areas;
        std::size_t at = 0;
        while (at < added.size()) {
            const std::size_t tab = added.find('\t', at);
            const std::size_t end = added.find('\n', tab);
            const int number = std::stoi(added.substr(at, tab - at));
            std::vector<bool>& mask = areas[added.substr(tab + 1, end - tab - 1)];
            mask.resize(kWidth * kHeight);
            for (int y = 0; y < kHeight; ++y) {
                for (int x = 0; x < kWidth; ++x) {
                    mask[y * kWidth + x] = AreaAt(map, x, y) == number;
                }
            }
            at = end + 1;
        }
        return areas;
    }
};

double IoU(const std::vector<bool>& a, const std::vector<bool>& b) {
    int both = 0;
    int either = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        both += a[i] && b[i];
        either += a[i] || b[i];
    }
    return either == 0 ? 1.0 : static_cast<double>(both) / either;
}

const std::vector<DrawnCase>& Cases() {
    static const std::vector<DrawnCase> cases = {
        {"hidden by a class, a style attribute, a hidden or undisplayed group",
         "<style>.gone { display: none } .ghost { visibility: hidden }</style>"
         "<rect id='a' class='gone' x='5' y='5' width='30' height='30'/>"
         "<rect id='b' style='fill: black; display:none' x='40' y='5' width='30' height='30'/>"
         "<g style='visibility:hidden'><rect id='c' x='75' y='5' width='30' height='30'/>"
         "<rect id='d' visibility='visible' x='110' y='5' width='30' height='30'/></g>"
         "<g display='none'><rect id='e' style='visibility: visible' x='5' y='45' width='30' "
         "height='30'/></g>"
         "<rect id='f' class='other ghost' x='40' y='45' width='30' height='30'/>"
         "<circle id='g' cx='100' cy='70' r='25'/>",
         "",
         {"a", "b", "c", "d", "e", "f", "g"}},
        {"fill-rule and clip-rule from a sheet by class, id, type and descendant, a style "
         "attribute and a group",
         "<style>.eo { fill-rule: evenodd } #second path { fill-rule: evenodd }"
         " g.keep > path { clip-rule: evenodd } rect { fill-rule: evenodd }</style>"
         "<path id='a' class='eo' d='M5 5h50v50h-50z M20 20h20v20h-20z'/>"
         "<g id='second'><g><path id='b' d='M60 5h50v50h-50z M75 20h20v20h-20z'/></g></g>"
         "<g fill-rule='evenodd'><path id='c' d='M115 5h40v50h-40z M125 20h20v20h-20z'/></g>"
         "<path id='d' class='eo' style='fill-rule:nonzero'"
         " d='M5 60h50v50h-50z M20 75h20v20h-20z'/>"
         "<g class='keep'><path id='e' d='M60 60h50v50h-50z M75 75h20v20h-20z'/></g>",
         "",
         {"a", "b", "c", "d", "e"}},
        {"<use> of a shape by href and xlink:href, moved by x, y and transform",
         "<defs><path id='star' d='M25 0 L31 18 L50 18 L35 29 L40 47 L25 36 L10 47 L15 29"
         " L0 18 L19 18 Z'/></defs>"
         "<use id='u1' href='#star' x='5.3' y='5.2'/>"
         "<use id='u2' xlink:href='#star' x='10' transform='translate(50.3 0.2) scale(1.2)'/>"
         "<rect id='base' x='5' y='70' width='40' height='30'/>"
         "<use id='u3' href='#base' x='100' transform='rotate(10 25 85)'/>",
         "",
         // base is drawn in place and through u3; its rule in the rendering fills both, so
         // it is compared through u3, whose area the instance is.
         {"u1", "u2", "u3"}},
        {"<use> of symbols with their own viewBox and sizes, nested, and aspect kept",
         "<defs><symbol id='dot' viewBox='0 0 10 10'><circle cx='5' cy='5' r='4'/></symbol>"
         "<symbol id='pair' viewBox='0 0 20 10'><use href='#dot' width='10' height='10'/>"
         "<use href='#dot' x='10' width='10' height='10'/></symbol>"
         "<symbol id='tall' viewBox='0 0 10 20' preserveAspectRatio='xMinYMax meet'>"
         "<rect x='1.2' y='1.2' width='7.6' height='17.6'/></symbol></defs>"
         "<use id='s1' href='#dot' width='50' height='50'/>"
         "<use id='s2' href='#pair' x='60' y='5' width='90' height='45'/>"
         "<use id='s3' href='#dot' x='5' y='60' width='70' height='40'/>"
         "<use id='s4' href='#tall' x='90' y='60' width='60' height='50'/>",
         "",
         {"s1", "s2", "s3", "s4"}},
        {"clip paths with clip-rule from a class, on a group, through style, with a use; "
         "viewports that cut what overflows them",
         "<style>.holed { clip-rule: evenodd }</style>"
         "<defs><clipPath id='ring' class='holed'><path d='M5 5h50v50h-50z M20 20h20v20h-20z'/>"
         "</clipPath><clipPath id='two' transform='translate(60 0)'><rect x='5' y='5' width='20'"
         " height='50'/><use href='#bar'/></clipPath><rect id='bar' x='30' y='30' width='30'"
         " height='10'/>"
         "<symbol id='tall' viewBox='0 0 10 20' preserveAspectRatio='xMinYMax slice'>"
         "<rect x='1.2' y='12.2' width='7.6' height='6.6'/></symbol></defs>"
         "<circle id='a' cx='30' cy='30' r='27' clip-path='url(#ring)'/>"
         "<g style='clip-path: url(#two)'><rect id='b' x='60' y='0' width='60' height='60'/></g>"
         // A symbol's viewport cuts what overflows it too (overflow: hidden, as in the
         // browsers); rsvg-convert 2.54 draws it whole, so c overflows nowhere.
         "<use id='c' href='#tall' x='5' y='62.3' width='60' height='50'/>"
         "<svg x='80.3' y='70.2' width='40' height='40' viewBox='0 0 10 10'>"
         "<circle id='d' cx='5' cy='5' r='7'/></svg>",
         "",
         {"a", "b", "c", "d"}},
        {"root viewBox of another aspect, preserveAspectRatio by default (xMidYMid meet)",
         "<circle id='a' cx='50' cy='50' r='45'/><rect id='b' x='0' y='0' width='12' "
         "height='12'/>",
         "viewBox='0 0 100 100'",
         {"a", "b"}},
        {"root preserveAspectRatio xMaxYMin meet",
         "<circle id='a' cx='50' cy='50' r='45'/><rect id='b' x='0' y='0' width='12' "
         "height='12'/>",
         "viewBox='0 0 100 100' preserveAspectRatio='xMaxYMin meet'",
         {"a", "b"}},
        {"root preserveAspectRatio xMinYMid slice",
         "<rect id='a' x='0' y='5' width='30' height='20'/>"
         "<rect id='b' x='70' y='70' width='30' height='30'/>",
         "viewBox='0 0 100 100' preserveAspectRatio='xMinYMid slice'",
         {"a", "b"}},
        {"root preserveAspectRatio none",
         "<circle id='a' cx='50' cy='50' r='45'/>",
         "viewBox='0 0 100 100' preserveAspectRatio='none'",
         {"a"}},
        {"viewBox scaling with an offset origin",
         "<rect id='a' x='-10' y='-5' width='30' height='20'/>"
         "<ellipse id='b' cx='40' cy='30' rx='20' ry='12'/>",
         "viewBox='-10 -5 80 60'",
         {"a", "b"}},
        {"arcs: sweeps, large arcs, rotated, scaled-up radii",
         "<path id='a' d='M10 40 A30 30 0 0 1 70 40 Z'/>"
         "<path id='b' d='M110 40 A30 30 0 1 0 140 10 L110 10 Z'/>"
         "<path id='c' d='M20 70 a40 15 30 0 1 50 40 a40 15 30 0 1 -50 -40z'/>"
         "<path id='d' d='M100 100 A5 5 0 0 0 150 100 Z'/>",
         "",
         {"a", "b", "c", "d"}},
        {"relative, implicit and smooth commands",
         "<path id='a' d='m5 5 40 0 0 30-40 0z m10 40 h30 v30 h-30 z'/>"
         "<path id='b' d='M60 80 c0-30 40-30 40 0 s40 30 40 0 z'/>"
         "<path id='c' d='M60 25 q20-25 40 0 t40 0 t-40 15 z'/>"
         "<path id='d' d='M5 90 C5 80 25 80 25 90 25 100 45 100 45 110 L5 110z'/>",
         "",
         {"a", "b", "c", "d"}},
        {"nested transforms: translate, scale, rotate about a point, skew, matrix",
         "<g transform='translate(20 10)'><g transform='scale(1.5 1)'>"
         "<rect id='a' width='30' height='30' transform='rotate(20 15 15)'/></g>"
         "<g transform='matrix(1 0.2 0 1 70 0) skewX(-20)'>"
         "<circle id='b' cx='30' cy='30' r='25'/></g></g>"
         "<g transform='translate(80.3 118.2) rotate(-90)'><g transform='translate(5 5)'>"
         "<polygon id='c' points='0,0 40,0 40,60 20,40 0,60'/></g></g>",
         "",
         {"a", "b", "c"}},
    };
    return cases;
}

TEST_F(SvgAsDrawn, EveryElementAgreesWithTheRenderer) {
    int n = 0;
    for (const DrawnCase& c : Cases()) {
        SCOPED_TRACE(c.what);
        const std::string document =
            "<svg xmlns='http://www.w3.org/2000/svg' xmlns:xlink='http://www.w3.org/1999/xlink' "
            "width='160' height='120' " +
            c.rootAttributes + ">" + c.body + "</svg>";
        const std::map<std::string, std::vector<bool>> areas =
            Imported(document, folder / ("case" + std::to_string(++n)));
        std::string figures;
        for (const std::string& id : c.ids) {
            const std::vector<bool> rendered = Rendered(document, id);
            const auto found = areas.find(id);
            const std::vector<bool> imported =
                found != areas.end() ? found->second : std::vector<bool>(kWidth * kHeight);
            const double iou = IoU(rendered, imported);
            char figure[64];
            std::snprintf(figure, sizeof figure, " %s %.4f", id.c_str(), iou);
            figures += figure;
            EXPECT_GE(iou, 0.99) << id;
        }
        std::printf("IoU, %s:%s\n", c.what, figures.c_str());
    }
}

}  // namespace
}  // namespace velmora::test
