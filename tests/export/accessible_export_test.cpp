#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include "web/web_text.h"

#include "export/data_script.h"
#include "export/export_commands.h"
#include "export/page.h"
#include "export/page_image_map.h"
#include "export/page_merge.h"
#include "export_fixture.h"
#include "store/files.h"
#include "support/test_support.h"

namespace velmora::test {
namespace {

// One <area> of a written image map, its attribute values as written.
struct MapArea {
    std::vector<std::pair<long, long>> corners;
    std::optional<std::string> href;
    std::optional<std::string> alt;
    std::optional<std::string> tabindex;
};

std::optional<std::string> Attribute(const std::string& line, const std::string& name) {
    const std::string key = " " + name + "=\"";
    const auto start = line.find(key);
    if (start == std::string::npos) {
        return std::nullopt;
    }
    const auto end = line.find('"', start + key.size());
    return line.substr(start + key.size(), end - start - key.size());
}

std::vector<MapArea> ParseAreas(const std::vector<std::string>& lines) {
    std::vector<MapArea> areas;
    for (const std::string& line : lines) {
        if (line.find("<area ") == std::string::npos) {
            continue;
        }
        EXPECT_EQ(line.rfind("\t\t\t\t<area shape=\"poly\" coords=\"", 0), 0u) << line;
        MapArea area;
        std::vector<long> numbers;
        const std::string coords = Attribute(line, "coords").value_or("");
        for (std::size_t at = 0; at < coords.size();) {
            std::size_t used = 0;
            numbers.push_back(std::stol(coords.substr(at), &used));
            at += used + 1;
        }
        EXPECT_EQ(numbers.size() % 2, 0u) << line;
        for (std::size_t i = 0; i + 1 < numbers.size(); i += 2) {
            area.corners.emplace_back(numbers[i], numbers[i + 1]);
        }
        area.href = Attribute(line, "href");
        area.alt = Attribute(line, "alt");
        area.tabindex = Attribute(line, "tabindex");
        areas.push_back(std::move(area));
    }
    return areas;
}

// Whether the polygon holds the point, by the even-odd rule a browser uses for shape="poly".
bool Holds(const MapArea& area, double x, double y) {
    bool inside = false;
    const auto& c = area.corners;
    for (std::size_t i = 0, j = c.size() - 1; i < c.size(); j = i++) {
        const double xi = c[i].first, yi = c[i].second, xj = c[j].first, yj = c[j].second;
        if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) {
            inside = !inside;
        }
    }
    return inside;
}

class AccessibleExportTest : public ExportTest {
protected:
    std::array<std::string, 256> names;
    std::array<std::string, 256> links;
};

// A picture with an area that has a hole, one in two pieces, one with an unsafe link and one
// painted but unnamed: at every pixel centre the first <area> that holds it must be the
// linked area's (by its alt) or, in the hole, on the unlinked areas and off the areas, one
// with neither a link nor an alt (HTML forbids an alt without an href).
TEST_F(AccessibleExportTest, ImageMapNamesEveryPixelAsTheBrowserReadsIt) {
    SetPictureSize(14, 9);
    Paint(0, 0, 7, 7, 1);
    Paint(2, 2, 3, 2, 0);  // the hole
    Paint(8, 0, 2, 2, 2);
    Paint(8, 5, 3, 3, 2);
    Paint(12, 0, 2, 9, 3);
    Paint(11, 0, 1, 1, 4);
    names[1] = "Tom & \"Jerry\" <cat>";
    names[2] = "Пруд";
    names[3] = "Bad";
    links[1] = "https://example.org/?a=1&b=2";
    links[3] = "javascript:alert(1)";

    const std::vector<std::string> lines =
        ImageMapLines(data.canvas.Map, names, links, "vlm_1234_areas");
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines.front(), "\t\t\t<map name=\"vlm_1234_areas\">");
    EXPECT_EQ(lines.back(), "\t\t\t</map>");
    const std::vector<MapArea> areas = ParseAreas(lines);
    EXPECT_EQ(areas.size(), 5u);  // area 1 and its hole, area 2's two pieces, area 3

    const std::string escapedName = "Tom &amp; &quot;Jerry&quot; &lt;cat&gt;";
    for (int y = 0; y < data.canvas.Height; ++y) {
        for (int x = 0; x < data.canvas.Width; ++x) {
            SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
            const int painted = data.canvas.Map.Pixel(x, y)[2];
            const MapArea* first = nullptr;
            for (const MapArea& area : areas) {
                if (Holds(area, x + 0.5, y + 0.5)) {
                    first = &area;
                    break;
                }
            }
            const std::string got = first && first->alt ? *first->alt : "";
            EXPECT_EQ(got, painted == 1 ? escapedName : "");
            if (first && first->alt) {
                EXPECT_EQ(first->href.has_value(), painted == 1);
            }
        }
    }
    for (const MapArea& area : areas) {
        if (area.alt == escapedName) {
            EXPECT_EQ(area.href, "https://example.org/?a=1&amp;b=2");
            EXPECT_FALSE(area.tabindex);
        } else {
            // The hole, the unlinked area and the refused link open nothing, have no name and
            // are no Tab stop.
            EXPECT_FALSE(area.href);
            EXPECT_FALSE(area.alt);
            EXPECT_EQ(area.tabindex, "-1");
        }
    }
    for (const std::string& line : lines) {
        if (line.find(" href=") != std::string::npos) {
            EXPECT_NE(line.find(" target=\"_blank\" rel=\"noopener\""), std::string::npos);
        }
    }
}

TEST_F(AccessibleExportTest, NoNamedAreaOnTheMapGivesNoImageMap) {
    SetPictureSize(4, 4);
    names[2] = "Unpainted";
    Paint(0, 0, 2, 2, 1);  // painted, but without a name
    EXPECT_TRUE(ImageMapLines(data.canvas.Map, names, links, "m").empty());
}

class AccessiblePageTest : public ExportTest {
protected:
    void SetUp() override {
        SetPictureSize(8, 4);
        LoadPictureNamed("hall.png");
        AddArea("Door \"A\" <b>");
        AddArea("Window");
        Paint(0, 0, 4, 4, 1);
        Paint(5, 1, 2, 2, 2);
        EditRecord("Door \"A\" <b>", kClick,
                   [](ATTRIBUTES& a) { a.link = "https://example.org/door"; });
        EditRecord("Window", kOver, [](ATTRIBUTES& a) { a.message_text = "Окно"; });
    }

    std::string ExportAccessible(const std::string& name) {
        ExportOptions options;
        options.accessible = true;
        const ExportOutcome outcome =
            ExportToHtml(data, folder / ("site/" + name), ProgramFolder(), options);
        EXPECT_TRUE(outcome.scriptWritten);
        return outcome.pagePath;
    }
};

TEST_F(AccessiblePageTest, PageCarriesTheImageMapAndTheScriptTheNames) {
    // An edit not yet stored reaches both the image map and the data script.
    ASSERT_TRUE(data.ReadAttributes("Window"));
    data.records.Attributes[kClick].link = "mailto:glass@example.org";
    data.records.AttributesModified = true;

    const std::string page = ReadFile(ExportAccessible("demo"));
    const std::string script = ReadFile(folder / "site/VLM/demo.js");
    const std::string id = data.project.PageId;
    EXPECT_EQ(page.rfind("\xEF\xBB\xBF", 0), 0u);
    const std::string image = "\t\t\t<img src=\"hall.png\" id=\"" + id +
                              "\" width=8 height=4 usemap=\"#" + id + "_areas\">\r\n" +
                              "\t\t\t<map name=\"" + id + "_areas\">\r\n";
    EXPECT_NE(page.find(image), std::string::npos) << page;
    EXPECT_NE(page.find(" href=\"https://example.org/door\" target=\"_blank\" rel=\"noopener\" "
                        "alt=\"Door &quot;A&quot; &lt;b&gt;\">\r\n"),
              std::string::npos);
    EXPECT_NE(page.find(" href=\"mailto:glass@example.org\" target=\"_blank\" rel=\"noopener\" "
                        "alt=\"Window\">\r\n"),
              std::string::npos);
    EXPECT_NE(page.find("\t\t\t</map>\r\n" + std::string(kPageInstructionLine)), std::string::npos);

    EXPECT_NE(script.find("\t\t{\t\"color\":1,\r\n\t\t\t\"name\":\"Door \\\\\"A\\\\\" <b>\",\r\n"
                          "\t\t\t\"properties\": {\r\n"),
              std::string::npos)
        << script;
    EXPECT_NE(script.find("\t\t{\t\"color\":2,\r\n\t\t\t\"name\":\"Window\",\r\n"),
              std::string::npos);
    EXPECT_NE(script.find("\"link\": \"mailto:glass@example.org\""), std::string::npos);
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(AccessiblePageTest, MergedAccessiblePagesKeepEveryMapAndNameAndMergeAgain) {
    const std::string a = ExportAccessible("a");
    const std::string idA = data.project.PageId;
    const std::string b = ExportAccessible("b");
    const std::string idB = data.project.PageId;
    // One plain page among them keeps its plain picture line.
    const std::string plain = ExportToHtml(data, folder / "site/plain", ProgramFolder()).pagePath;

    ASSERT_EQ(MergePages({a, plain}, folder / "site/ab", prompter), MergeResult::Merged);
    ASSERT_EQ(MergePages({folder / "site/ab.html", b}, folder / "other/all", prompter),
              MergeResult::Merged);
    const std::vector<std::string> pageLines = SplitTextLines(ReadFile(folder / "other/all.html"));
    const std::string script = ReadFile(folder / "other/VLM/all.js");

    std::vector<std::string> pictures;
    std::vector<std::string> maps;
    for (std::size_t i = 0; i < pageLines.size(); ++i) {
        if (pageLines[i].find("<img") != std::string::npos) {
            pictures.push_back(pageLines[i]);
            maps.push_back(i + 1 < pageLines.size() &&
                                   pageLines[i + 1].find("<map ") != std::string::npos
                               ? *Attribute(pageLines[i + 1], "name")
                               : "");
        }
    }
    ASSERT_EQ(pictures.size(), 3u);
    EXPECT_EQ(maps, (std::vector<std::string>{idA + "_areas", "", idB + "_areas"}));
    EXPECT_NE(pictures[0].find("usemap=\"#" + idA + "_areas\""), std::string::npos);
    EXPECT_EQ(pictures[1].find("usemap"), std::string::npos);
    EXPECT_NE(pictures[2].find("usemap=\"#" + idB + "_areas\""), std::string::npos);
    std::size_t areaLines = 0;
    for (const std::string& line : pageLines) {
        areaLines += line.find("<area ") != std::string::npos;
    }
    EXPECT_EQ(areaLines, 4u);  // two areas on each of the two accessible pages
    std::size_t names = 0;
    for (auto at = script.find("\"name\":\"Window\""); at != std::string::npos;
         at = script.find("\"name\":\"Window\"", at + 1)) {
        ++names;
    }
    EXPECT_EQ(names, 2u);
}

}  // namespace
}  // namespace velmora::test
