#include "export/page_merge.h"

#include <filesystem>

#include "export/export_messages.h"
#include "export/export_paths.h"
#include "export/page.h"
#include "export/web_escape.h"
#include "export/web_text.h"
#include "store/errors.h"
#include "store/files.h"
#include "store/paths.h"
#include "store/prompter.h"

namespace velmora {

namespace fs = std::filesystem;

namespace {

std::string DataScriptOf(const std::string& pagePath) {
    return JoinPath(JoinPath(FolderOfPath(pagePath), "VLM"), PageName(pagePath) + ".js");
}

// One input page as the merge needs it.
struct InputPage {
    std::string path;
    std::string imageLine;  // empty when the page has no "<img" line
    std::vector<std::string> objectLines;
};

InputPage ReadInput(const std::string& path) {
    InputPage input;
    input.path = path;
    for (std::string& line : SplitTextLines(ReadWholeFile(path))) {
        if (line.find("<img") != std::string::npos) {
            input.imageLine = std::move(line);
            break;
        }
    }
    bool copying = false;
    for (std::string& line : SplitTextLines(ReadWholeFile(DataScriptOf(path)))) {
        if (line.find("`{") != std::string::npos) {
            copying = true;
        }
        if (copying) {
            const bool closes = line.find("}`") != std::string::npos;
            input.objectLines.push_back(std::move(line));
            copying = !closes;
        }
    }
    return input;
}

// The picture file an image line names, as a bare name; empty when it names none or names
// something outside the page's folder.
std::string PictureOfImageLine(const std::string& line) {
    const std::string key = "src=\"";
    const auto start = line.find(key);
    if (start == std::string::npos) {
        return {};
    }
    const auto end = line.find('"', start + key.size());
    if (end == std::string::npos) {
        return {};
    }
    const std::string name =
        DecodePercent(UnescapeHtml(line.substr(start + key.size(), end - start - key.size())));
    return IsPlainFileName(name) ? name : std::string();
}

void CopyWhenMissing(const std::string& source, const std::string& target) {
    if (FileExists(source) && !fs::exists(fs::u8path(target))) {
        CopyFileNoOverwrite(source, target);
    }
}

// Brings what a page from another folder needs beside the merged page.
void BringAssets(const InputPage& input, const std::string& mergedFolder,
                 const std::string& mergedScriptName) {
    const std::string inputFolder = FolderOfPath(input.path);
    if (SameFile(inputFolder, mergedFolder)) {
        return;
    }
    if (const std::string picture = PictureOfImageLine(input.imageLine); !picture.empty()) {
        CopyWhenMissing(JoinPath(inputFolder, picture), JoinPath(mergedFolder, picture));
    }
    // The input's own data script is merged, not needed beside the merged page.
    const std::string inputScriptName = PageName(input.path) + ".js";
    const fs::path vlm = fs::u8path(JoinPath(inputFolder, "VLM"));
    std::error_code ec;
    for (fs::directory_iterator it(vlm, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name == mergedScriptName || name == inputScriptName || !it->is_regular_file(ec)) {
            continue;
        }
        CopyWhenMissing(it->path().string(), JoinPath(JoinPath(mergedFolder, "VLM"), name));
    }
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
        prompter.Ask(msg::kMergedFileExists, kConfirmCaption, Buttons::YesNo) != Answer::Yes) {
        return MergeResult::Declined;
    }

    std::vector<InputPage> inputs;
    inputs.reserve(pagePaths.size());
    for (const std::string& path : pagePaths) {
        inputs.push_back(ReadInput(path));
    }

    std::vector<std::string> page = PageOpeningLines(mergedName);
    std::vector<std::string> script = {"'use strict;'", "let VLM_DATA=["};
    for (const InputPage& input : inputs) {
        if (!input.imageLine.empty()) {
            page.push_back("\t\t\t<p>");
            page.push_back(input.imageLine);
        }
        script.insert(script.end(), input.objectLines.begin(), input.objectLines.end());
        script.push_back(",");
    }
    script.push_back("];");
    for (std::string& line : PageClosingLines()) {
        page.push_back(std::move(line));
    }

    const std::string mergedFolder = FolderOfPath(mergedPath);
    const std::string vlmFolder = JoinPath(mergedFolder, "VLM");
    CreateFolderPath(vlmFolder);
    const std::string scriptName = mergedName + ".js";
    for (const InputPage& input : inputs) {
        BringAssets(input, mergedFolder, scriptName);
    }

    WriteFileAtomically(mergedPath, JoinWebLines(page));
    WriteFileAtomically(JoinPath(vlmFolder, scriptName), JoinWebLines(script));
    prompter.Message(msg::kMergeDone);
    return MergeResult::Merged;
}

}  // namespace velmora
