#pragma once

#include <string>
#include <vector>

namespace velmora {

class COMMON_DATA;

// The page name P of a page or chosen path: its file name without folder and extension.
std::string PageName(const std::string& path);

// A fresh page id, "vlm_" and a number from 1000 to 9999, never equal to previous: each export
// draws one, and a page exported again must not keep its old id.
std::string DrawPageId(const std::string& previous);

// The author's texts of a page; empty ones keep the template's: the title "Dorvan Software -
// Velmora Demo", the heading the title, and no description.
struct PageTexts {
    std::string title;
    std::string heading;
    std::string description;
};

// How a web export offers the picture: the srcset of its WebP copies and the URL of the one
// fallback file, relative to the page.
struct PageSources {
    std::string webpSrcset;
    std::string fallbackUrl;
};

// The page template in the pieces that exported and merged pages share: the head and the start
// of the body (loading VLM/<pageName>.js), one picture line, the instruction paragraph and the
// closing lines. The texts are escaped for HTML. A page for the web (forWeb) has a viewport
// meta and loads its scripts deferred.
std::vector<std::string> PageOpeningLines(const std::string& pageName, const PageTexts& texts = {},
                                          bool forWeb = false);
// With a map name the picture uses that image map.
std::string PageImageLine(const std::string& pictureFileName, const std::string& pageId, int width,
                          int height, const std::string& mapName = {});
// The picture of a web export: a <picture> whose WebP source the browser picks by the shown
// width, the fallback in its img, which keeps the full size for the layout before anything is
// loaded and the runtime's fitting class from the start.
std::string PageWebImageLine(const PageSources& sources, const std::string& pageId, int width,
                             int height, const std::string& mapName = {});
extern const char* const kPageInstructionLine;
std::vector<std::string> PageClosingLines();

// The page for the open project's picture, id and size; an accessible page has the lines of its
// image map (ProjectImageMapLines) right after the picture, which uses that map. With sources
// it is the web page of those copies of the picture.
std::vector<std::string> PageLines(const COMMON_DATA& data, const std::string& pagePath,
                                   const std::vector<std::string>& imageMap = {},
                                   const PageTexts& texts = {},
                                   const PageSources* sources = nullptr);

// Writes the page at pagePath, replacing any file there through a temporary file; throws
// FileError when it cannot be written (the old page then stays as it was).
void WritePage(const COMMON_DATA& data, const std::string& pagePath,
               const std::vector<std::string>& imageMap = {}, const PageTexts& texts = {},
               const PageSources* sources = nullptr);

}  // namespace velmora
