#include "export/page.h"

#include <chrono>
#include <random>

#include "export/page_image_map.h"
#include "store/common_data.h"
#include "store/files.h"
#include "store/paths.h"
#include "web/web_escape.h"
#include "web/web_text.h"

namespace velmora {

const char* const kPageInstructionLine =
    "\t\t\t<p>Щёлкните мышкой по изображению, чтобы услышать звуки и начать "
    "взаимодействие.</p>";

namespace {

constexpr const char* kDefaultTitle = "Dorvan Software - Velmora Demo";
constexpr int kPageIdFirst = 1000;
constexpr int kPageIdLast = 9999;

std::mt19937& PageIdGenerator() {
    static std::mt19937 generator(static_cast<std::mt19937::result_type>(
        std::chrono::system_clock::now().time_since_epoch().count()));
    return generator;
}

std::string UrlInAttribute(const std::string& name) {
    return EscapeHtml(EncodeFileReference(name));
}

}  // namespace

std::string PageName(const std::string& path) {
    return StripExtension(ExtractName(path));
}

std::string DrawPageId(const std::string& previous) {
    std::uniform_int_distribution<int> number(kPageIdFirst, kPageIdLast);
    std::string id;
    do {
        id = "vlm_" + std::to_string(number(PageIdGenerator()));
    } while (id == previous);
    return id;
}

std::vector<std::string> PageOpeningLines(const std::string& pageName, const PageTexts& texts,
                                          bool forWeb) {
    const std::string title = texts.title.empty() ? kDefaultTitle : texts.title;
    const std::string heading = texts.heading.empty() ? title : texts.heading;
    std::vector<std::string> lines = {
        "<!DOCTYPE html>",
        "<html lang=\"ru\">",
        "\t<HEAD>",
        "\t\t<META HTTP-EQUIV=\"CONTENT-TYPE\" CONTENT=\"text/html; charset=utf-8\">",
        "\t\t<TITLE>" + EscapeHtml(title) + "</TITLE>",
        "\t\t<link rel=\"stylesheet\" type=\"text/css\" href=\"VLM/vlm4.css\">",
        std::string("\t\t<script src=\"VLM/vlm4.js\"") + (forWeb ? " defer" : "") + "></script>",
        "\t\t<script src=\"VLM/" + UrlInAttribute(pageName) + ".js\"" + (forWeb ? " defer" : "") +
            "></script>",
        "\t</HEAD>",
        "\t<body>",
        "\t\t<div align=\"center\">",
        "\t\t\t<h1>" + EscapeHtml(heading) + "</h1>",
    };
    if (forWeb) {
        lines.insert(
            lines.begin() + 4,
            "\t\t<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">");
    }
    if (!texts.description.empty()) {
        // Right after the title.
        lines.insert(lines.begin() + (forWeb ? 6 : 5), "\t\t<meta name=\"description\" content=\"" +
                                                           EscapeHtml(texts.description) + "\">");
    }
    return lines;
}

std::string PageImageLine(const std::string& pictureFileName, const std::string& pageId, int width,
                          int height, const std::string& mapName) {
    const std::string usemap = mapName.empty() ? "" : " usemap=\"#" + EscapeHtml(mapName) + "\"";
    return "\t\t\t<img src=\"" + UrlInAttribute(pictureFileName) + "\" id=\"" + EscapeHtml(pageId) +
           "\" width=" + std::to_string(width) + " height=" + std::to_string(height) + usemap + ">";
}

std::string PageWebImageLine(const PageSources& sources, const std::string& pageId, int width,
                             int height, const std::string& mapName) {
    const std::string usemap = mapName.empty() ? "" : " usemap=\"#" + EscapeHtml(mapName) + "\"";
    const std::string w = std::to_string(width);
    return "\t\t\t<picture><source type=\"image/webp\" srcset=\"" + EscapeHtml(sources.webpSrcset) +
           "\" sizes=\"(max-width: " + w + "px) 100vw, " + w + "px\"><img src=\"" +
           EscapeHtml(sources.fallbackUrl) + "\" id=\"" + EscapeHtml(pageId) + "\" width=" + w +
           " height=" + std::to_string(height) + usemap +
           " class=\"vlm4-picture\" decoding=\"async\" fetchpriority=\"high\"></picture>";
}

std::vector<std::string> PageClosingLines() {
    return {"\t\t</div>", "\t</body>", "</html>"};
}

std::vector<std::string> PageLines(const COMMON_DATA& data, const std::string& pagePath,
                                   const std::vector<std::string>& imageMap, const PageTexts& texts,
                                   const PageSources* sources) {
    std::vector<std::string> lines =
        PageOpeningLines(PageName(pagePath), texts, sources != nullptr);
    const std::string mapName =
        imageMap.empty() ? std::string() : ImageMapName(data.project.PageId);
    lines.push_back(sources != nullptr
                        ? PageWebImageLine(*sources, data.project.PageId, data.canvas.Width,
                                           data.canvas.Height, mapName)
                        : PageImageLine(data.canvas.PictureFileName, data.project.PageId,
                                        data.canvas.Width, data.canvas.Height, mapName));
    lines.insert(lines.end(), imageMap.begin(), imageMap.end());
    lines.push_back(kPageInstructionLine);
    for (std::string& line : PageClosingLines()) {
        lines.push_back(std::move(line));
    }
    return lines;
}

void WritePage(const COMMON_DATA& data, const std::string& pagePath,
               const std::vector<std::string>& imageMap, const PageTexts& texts,
               const PageSources* sources) {
    WriteFileAtomically(pagePath,
                        JoinWebLines(PageLines(data, pagePath, imageMap, texts, sources)));
}

}  // namespace velmora
