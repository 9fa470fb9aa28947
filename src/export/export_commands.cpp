#include "export/export_commands.h"

#include <filesystem>

#include "export/data_script.h"
#include "export/export_messages.h"
#include "export/export_paths.h"
#include "export/export_replacements.h"
#include "export/page.h"
#include "export/page_image_map.h"
#include "export/web_images.h"
#include "store/common_data.h"
#include "store/errors.h"
#include "store/files.h"
#include "store/paths.h"
#include "store/prompter.h"
#include "store/store_messages.h"

namespace velmora {

namespace fs = std::filesystem;

namespace {

constexpr const char* kRuntimeFiles[] = {"vlm4.js", "vlm4.css"};
constexpr const char* kInstalledRuntimeFolder = "../share/velmora-editor";

bool CanExport(COMMON_DATA& data) {
    if (!data.project.ProjectOpen) {
        data.UserPrompter().Message(msg::kExportNeedsProject);
        return false;
    }
    if (!data.canvas.PictureLoaded) {
        data.UserPrompter().Message(msg::kExportNeedsPicture);
        return false;
    }
    if (!IsPlainFileName(data.canvas.PictureFileName)) {
        data.UserPrompter().Message(msg::kBadFileName + data.canvas.PictureFileName);
        return false;
    }
    return true;
}

// Makes the picture beside the page a fresh copy (replacing a different file was agreed to
// before); streamed aside and renamed, so the old copy survives a failed write. Exporting into
// the Images folder itself, or over an identical copy, leaves it alone.
void CopyPictureFresh(const COMMON_DATA& data, const std::string& pageFolder) {
    const std::string source = data.project.WorkFilePath("Images", data.canvas.PictureFileName);
    if (!EntryExists(source)) {
        throw FileError(msg::kFileNotFound + source);
    }
    const std::string target = JoinPath(pageFolder, data.canvas.PictureFileName);
    if (SameFile(source, target) || (FileExists(target) && SameContent(source, target))) {
        return;
    }
    CopyFileReplacing(source, target, data.project.ProjectReadScope());
}

// True when path is a file the project itself reads: the project file, its picture and map, or
// anything in the folders of effect pictures and sounds.
bool ProjectUsesFile(const COMMON_DATA& data, const std::string& path) {
    if (!EntryExists(path)) {
        return false;
    }
    for (const std::string& used :
         {data.project.ProjectPath,
          data.project.WorkFilePath("Images", data.canvas.PictureFileName),
          data.project.WorkFilePath("Maps", data.canvas.MapFileName)}) {
        if (!used.empty() && SameFile(path, used)) {
            return true;
        }
    }
    const std::string folder = FolderOfPath(path);
    return SameFile(folder, data.project.WorkFolderPath("Pictures")) ||
           SameFile(folder, data.project.WorkFolderPath("Sounds"));
}

// Refuses, with a message, an export that would replace one of the project's own files: the
// page, its data script or the copy of the picture beside the page.
bool ReplacesNothingOfProject(COMMON_DATA& data, const std::string& pageFolder,
                              const std::string& pagePath, const std::string& pageName) {
    const std::string picture = JoinPath(pageFolder, data.canvas.PictureFileName);
    const std::string source = data.project.WorkFilePath("Images", data.canvas.PictureFileName);
    const std::string replaced[] = {pagePath,
                                    JoinPath(JoinPath(pageFolder, "VLM"), pageName + ".js"),
                                    SameFile(source, picture) ? std::string() : picture};
    for (const std::string& path : replaced) {
        if (!path.empty() && ProjectUsesFile(data, path)) {
            data.UserPrompter().Message(msg::kExportWouldReplace + path);
            return false;
        }
    }
    return true;
}

// The steps both commands share once the page folder D exists: new id, runtime files, the
// agreed replacements, picture, page, data script.
ExportOutcome WriteExport(COMMON_DATA& data, const std::string& pageFolder,
                          const std::string& pagePath, const std::string& pageName,
                          const std::string& programFolder, ExportOptions options,
                          const std::vector<ExportCopy>& replacements, Progress& progress) {
    const std::string vlmFolder = JoinPath(pageFolder, "VLM");
    const std::string scriptPath = JoinPath(vlmFolder, pageName + ".js");

    // The image map is traced first: outlines too large to write refuse the export before any
    // file is touched.
    const std::string pageId = DrawPageId(data.project.PageId);
    std::vector<std::string> imageMap;
    {
        const ProgressScope reported(progress);
        progress.Step(0, 2);
        if (options.accessible) {
            imageMap = ProjectImageMapLines(data, pageId);
        }
        // The last moment to give up: from here on files are written.
        progress.Step(1, 2);
    }
    const ProgressScope writing(NoProgress());
    data.project.PageId = pageId;
    for (const ExportCopy& copy : replacements) {
        CopyFileReplacing(copy.source, copy.destination, data.project.ProjectReadScope());
    }
    for (const char* name : kRuntimeFiles) {
        const std::string target = JoinPath(vlmFolder, name);
        if (!FileExists(target)) {
            CopyFileNoOverwrite(FindRuntimeFile(programFolder, name), target);
        }
    }
    CopyPictureFresh(data, pageFolder);
    PageSources sources;
    if (options.webImages) {
        const WebImageSet set =
            WriteWebImages(data.project.WorkFilePath("Images", data.canvas.PictureFileName),
                           vlmFolder, data.project.ProjectReadScope());
        sources.webpSrcset = WebImageSrcset(set.webp, "VLM");
        sources.fallbackUrl = SrcsetUrl("VLM", set.fallback.name);
    }
    WritePage(data, pagePath, imageMap, options.texts, options.webImages ? &sources : nullptr);
    ExportOutcome outcome;
    outcome.pagePath = pagePath;
    outcome.scriptWritten =
        WriteDataScript(data, scriptPath, options.accessible, options.webImages);
    return outcome;
}

}  // namespace

std::string FindRuntimeFile(const std::string& programFolder, const std::string& name) {
    const std::string beside = JoinPath(programFolder, name);
    if (FileExists(beside)) {
        return beside;
    }
    const std::string installed = JoinPath(JoinPath(programFolder, kInstalledRuntimeFolder), name);
    if (FileExists(installed)) {
        return installed;
    }
    throw FileError(msg::kFileNotFound + beside);
}

ExportOutcome ExportToHtml(COMMON_DATA& data, const std::string& chosenPath,
                           const std::string& programFolder, ExportOptions options,
                           Progress& progress) {
    if (!CanExport(data)) {
        return {};
    }
    progress.Step(0, 2);
    const std::string pageName = PageName(chosenPath);
    if (pageName.empty()) {
        data.UserPrompter().Message(msg::kNoPageName + chosenPath);
        return {};
    }
    const std::string pageFolder = FolderOfPath(chosenPath);
    const std::string pagePath = StripExtension(chosenPath) + ".html";
    if (!ReplacesNothingOfProject(data, pageFolder, pagePath, pageName)) {
        return {};
    }
    const auto replacements = AgreedReplacements(data, pageFolder);
    if (!replacements) {
        return {};
    }
    RequireFolderWithin(JoinPath(pageFolder, "VLM"), pageFolder, "папки экспорта");
    CreateFolderPath(JoinPath(pageFolder, "VLM"));
    return WriteExport(data, pageFolder, pagePath, pageName, programFolder, options, *replacements,
                       progress);
}

ExportOutcome TestInBrowser(COMMON_DATA& data, const std::string& programFolder, Shell& shell,
                            ExportOptions options, const std::string& otherFolder,
                            Progress& progress) {
    if (!CanExport(data)) {
        return {};
    }
    progress.Step(0, 2);
    const std::string pageName = PageName(data.project.ProjectPath);
    const std::string pageFolder =
        otherFolder.empty() ? data.project.WorkFolderPath("HTML") : otherFolder;
    if (otherFolder.empty()) {
        data.CreateWorkFolders(data.project.ProjectFolder);
        data.project.RequireWritableWorkFolder("HTML");
        data.project.RequireWritableWorkFolder("HTML/VLM");
    }
    CreateFolderPath(JoinPath(pageFolder, "VLM"));
    std::error_code ec;
    const fs::path absolute =
        fs::absolute(fs::u8path(JoinPath(pageFolder, pageName + ".html")), ec);
    const std::string pagePath =
        ec ? JoinPath(pageFolder, pageName + ".html") : absolute.lexically_normal().string();
    if (!ReplacesNothingOfProject(data, pageFolder, pagePath, pageName)) {
        return {};
    }
    const auto replacements = AgreedReplacements(data, pageFolder);
    if (!replacements) {
        return {};
    }
    ExportOutcome outcome = WriteExport(data, pageFolder, pagePath, pageName, programFolder,
                                        options, *replacements, progress);
    if (!shell.Open(outcome.pagePath)) {
        data.UserPrompter().Message(msg::kPageNotOpened + outcome.pagePath);
    }
    return outcome;
}

}  // namespace velmora
