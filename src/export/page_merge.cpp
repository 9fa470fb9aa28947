#include "export/page_merge.h"

#include <filesystem>

#include "export/export_messages.h"
#include "export/export_paths.h"
#include "export/merge_assets.h"
#include "export/page.h"
#include "store/errors.h"
#include "store/files.h"
#include "store/paths.h"
#include "store/prompter.h"
#include "web/web_escape.h"
#include "web/web_text.h"

namespace velmora {

namespace fs = std::filesystem;

namespace {

std::string DataScriptOf(const std::string& pagePath) {
    return JoinPath(JoinPath(FolderOfPath(pagePath), "VLM"), PageName(pagePath) + ".js");
}

// A page's image lines and its data script's object blocks. A merged page holds several
// pictures: when its script carries more than one block, each of its image lines counts.
MergeInput ReadInput(const std::string& path) {
    MergeInput input;
    input.path = path;
    std::vector<std::string> imageLines;
    std::vector<std::vector<std::string>> imageMaps;
    bool inMap = false;
    for (std::string& line : SplitTextLines(ReadWholeFile(path))) {
        if (line.find("<img") != std::string::npos) {
            imageLines.push_back(std::move(line));
            imageMaps.emplace_back();
            inMap = false;
        } else if (!imageLines.empty() && (inMap || line.find("<map ") != std::string::npos)) {
            // An accessible page's image map follows its picture up to "</map>".
            inMap = line.find("</map>") == std::string::npos;
            imageMaps.back().push_back(std::move(line));
        }
    }
    bool copying = false;
    for (std::string& line : SplitTextLines(ReadWholeFile(DataScriptOf(path)))) {
        if (!copying && line.find("`{") != std::string::npos) {
            copying = true;
            input.blocks.emplace_back();
        }
        if (copying) {
            copying = line.find("}`") == std::string::npos;
            input.blocks.back().push_back(std::move(line));
        }
    }
    if (input.blocks.size() < 2 && imageLines.size() > 1) {
        imageLines.resize(1);
        imageMaps.resize(1);
    }
    input.imageLines = std::move(imageLines);
    input.imageMaps = std::move(imageMaps);
    return input;
}

}  // namespace

std::string MergedPagePath(const std::string& chosenPath) {
    return EnsureExtension(chosenPath, ".html");
}

MergeResult MergePages(const std::vector<std::string>& pagePaths, const std::string& chosenPath,
                       Prompter& prompter) {
    if (pagePaths.size() < 2) {
        prompter.Beep();
        return MergeResult::TooFewPages;
    }
    const std::string mergedPath = MergedPagePath(chosenPath);
    const std::string mergedName = PageName(mergedPath);
    if (mergedName.empty()) {
        prompter.Message(msg::kNoPageName + chosenPath);
        return MergeResult::Refused;
    }
    // The old file is replaced only when the new one is complete, never deleted up front.
    if (fs::exists(fs::u8path(mergedPath)) &&
        prompter.AskSafely(Naming(msg::kMergedFileExists, mergedPath), kConfirmCaption,
                           Buttons::YesNo) != Answer::Yes) {
        return MergeResult::Declined;
    }

    std::vector<MergeInput> inputs;
    inputs.reserve(pagePaths.size());
    for (const std::string& path : pagePaths) {
        inputs.push_back(ReadInput(path));
    }

    const std::string mergedFolder = FolderOfPath(mergedPath);
    const std::string vlmFolder = JoinPath(mergedFolder, "VLM");
    CreateFolderPath(vlmFolder);
    for (MergeInput& input : inputs) {
        BringUsedFiles(input, mergedFolder);
    }

    std::vector<std::string> page = PageOpeningLines(mergedName);
    std::vector<std::string> script = {"'use strict;'", "let VLM_DATA=["};
    for (const MergeInput& input : inputs) {
        for (std::size_t i = 0; i < input.imageLines.size(); ++i) {
            page.push_back("\t\t\t<p>");
            page.push_back(input.imageLines[i]);
            page.insert(page.end(), input.imageMaps[i].begin(), input.imageMaps[i].end());
        }
        // Every block is followed by its comma: blocks back to back would read as a tagged
        // template and break the whole script.
        for (const auto& block : input.blocks) {
            script.insert(script.end(), block.begin(), block.end());
            script.push_back(",");
        }
        if (input.blocks.empty()) {
            script.push_back(",");
        }
    }
    script.push_back("];");
    for (std::string& line : PageClosingLines()) {
        page.push_back(std::move(line));
    }

    const std::string scriptName = mergedName + ".js";
    // The script first: a page never names a script that is not there yet.
    WriteFilesTogether({{JoinPath(vlmFolder, scriptName), JoinWebLines(script)},
                        {mergedPath, JoinWebLines(page)}});
    prompter.Notice(msg::kMergeDone);
    return MergeResult::Merged;
}

}  // namespace velmora
