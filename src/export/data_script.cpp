#include "export/data_script.h"

#include <map>
#include <vector>

#include "canvas/map/area_presence.h"
#include "export/export_messages.h"
#include "export/export_paths.h"
#include "export/map_encode.h"
#include "export/text_rules.h"
#include "export/web_images.h"
#include "store/common_data.h"
#include "store/files.h"
#include "store/paths.h"
#include "store/store_messages.h"
#include "web/web_escape.h"
#include "web/web_text.h"

namespace velmora {

namespace {

constexpr std::string_view kLineBreak = "\r\n";
constexpr std::string_view kLineBreakMark = "|";

std::string Text(const std::string& stored) {
    return EscapeScriptText(stored);
}

// Message and copy texts carry their line breaks as "|".
std::string MultiLineText(const std::string& stored) {
    return EscapeScriptText(ReplaceAll(stored, kLineBreak, kLineBreakMark));
}

std::string FileReference(const std::string& name) {
    return "VLM/" + EscapeScriptText(EncodeFileReference(name));
}

std::string Number(std::int32_t n) {
    return std::to_string(n);
}

std::string ToneLine(const char* key, std::int32_t brightness, std::int32_t contrast,
                     std::int32_t gamma, std::int32_t grayscale) {
    return std::string("\t\t\t\t\t\"") + key + "\": { \"brightness\":\"" + Number(brightness) +
           "\",\"contrast\":\"" + Number(contrast) + "\",\"gamma\":\"" + FormatDecimal(gamma) +
           "\",\"grayscale\":" + (grayscale != 0 ? "true" : "false") + "},";
}

// Copies the files the script names beside it; a missing or refused source ends the script.
class AssetCopier {
public:
    AssetCopier(const COMMON_DATA& data, Prompter& prompter, std::string destinationFolder,
                bool webImages)
        : m_data(data),
          m_prompter(prompter),
          m_destinationFolder(std::move(destinationFolder)),
          m_scope(data.project.ProjectReadScope()),
          m_webImages(webImages) {}

    bool Copy(const char* workFolder, const std::string& name) {
        const std::string source = m_data.project.WorkFilePath(workFolder, name);
        if (source.empty()) {
            m_prompter.Message(msg::kBadFileName + name);
            return false;
        }
        if (!EntryExists(source)) {
            m_prompter.Message(msg::kFileNotFound + source);
            return false;
        }
        const std::string destination = JoinPath(m_destinationFolder, name);
        if (!FileExists(destination)) {
            // Only the project's own files are published: a link leading out of its folders,
            // or a pipe or device in their place, is refused.
            CopyFileNoOverwrite(source, destination, m_scope);
        }
        return true;
    }

    // For a web page, a large popup or overlay picture's smaller copies beside it: the record's
    // fields naming them with the picture's full size; nothing for a small picture.
    std::string WebSizes(const std::string& name) {
        if (!m_webImages) {
            return {};
        }
        if (const auto known = m_webSizes.find(name); known != m_webSizes.end()) {
            return known->second;
        }
        WebImageSet set = WriteEffectPictureCopies(m_data.project.WorkFilePath("Pictures", name),
                                                   m_destinationFolder, m_scope);
        std::string& fields = m_webSizes[name];
        if (!set.webp.empty()) {
            set.webp.push_back({name, set.width, set.height});
            fields = ",\"srcset\":\"" + EscapeScriptText(WebImageSrcset(set.webp, "VLM")) +
                     "\",\"width\":" + Number(set.width) + ",\"height\":" + Number(set.height);
        }
        return fields;
    }

private:
    const COMMON_DATA& m_data;
    Prompter& m_prompter;
    std::string m_destinationFolder;
    ReadScope m_scope;
    bool m_webImages;
    std::map<std::string, std::string> m_webSizes;
};

bool AddEffectLines(std::vector<std::string>& lines, const ATTRIBUTES& a, AssetCopier& copier) {
    const std::string indent = "\t\t\t\t\t";
    if (!a.message_text.empty()) {
        lines.push_back(indent + "\"message\": { \"text\":\"" + MultiLineText(a.message_text) +
                        "\",\"style\":\"" + Text(a.message_style) + "\",\"type\":\"" +
                        Text(a.message_type) + "\",\"x1\":" + Number(a.message_center_x) +
                        ",\"y1\":" + Number(a.message_center_y) +
                        ",\"x2\":" + Number(a.message_pointer_x) +
                        ",\"y2\":" + Number(a.message_pointer_y) + " },");
    }
    if (!a.picture_file_name.empty()) {
        if (!copier.Copy("Pictures", a.picture_file_name)) {
            return false;
        }
        lines.push_back(
            indent + "\"picture\": { \"src\":\"" + FileReference(a.picture_file_name) +
            "\",\"style\":\"" + Text(a.picture_style) + "\",\"type\":\"" + Text(a.picture_type) +
            "\",\"x1\":" + Number(a.picture_center_x) + ",\"y1\":" + Number(a.picture_center_y) +
            ",\"x2\":" + Number(a.picture_pointer_x) + ",\"y2\":" + Number(a.picture_pointer_y) +
            copier.WebSizes(a.picture_file_name) + " },");
    }
    if (!a.overlay_file_name.empty()) {
        if (!copier.Copy("Pictures", a.overlay_file_name)) {
            return false;
        }
        lines.push_back(indent + "\"overlay\": { \"src\":\"" + FileReference(a.overlay_file_name) +
                        "\",\"x\":" + Number(a.overlay_x) + ",\"y\":" + Number(a.overlay_y) +
                        copier.WebSizes(a.overlay_file_name) + " },");
    }
    if (!a.copy_text.empty()) {
        lines.push_back(indent + "\"copytext\": \"" + MultiLineText(a.copy_text) + "\",");
    }
    if (!a.js_code.empty()) {
        lines.push_back(indent + "\"jscode\": \"" + Text(a.js_code) + "\",");
    }
    if (!a.sound_file_name.empty()) {
        lines.push_back(indent + "\"audio\": { \"src\":\"" + FileReference(a.sound_file_name) +
                        "\",\"volume\":" + FormatDecimal(a.sound_volume) + " },");
        if (!copier.Copy("Sounds", a.sound_file_name)) {
            return false;
        }
    }
    if (!a.link.empty()) {
        lines.push_back(indent + "\"link\": \"" + Text(a.link) + "\",");
    }
    if (BackgroundEffectSet(a)) {
        lines.push_back(ToneLine("background", a.background_brightness, a.background_contrast,
                                 a.background_gamma, a.background_grayscale));
    }
    if (AreaEffectSet(a)) {
        lines.push_back(
            ToneLine("area", a.area_brightness, a.area_contrast, a.area_gamma, a.area_grayscale));
    }
    return true;
}

}  // namespace

bool WriteDataScript(COMMON_DATA& data, const std::string& scriptPath, bool withNames,
                     bool webImages) {
    data.WritePendingAttributes();

    // The areas on the map are found while the map text is built, in one pass over the map.
    AreaPresence painted{};
    std::vector<std::string> lines = {
        "'use strict;'",
        "let VLM_DATA=[",
        "`{",
        "\t\"id\":\"" + Text(data.project.PageId) + "\",",
        "\t\"Map\":\"" +
            EncodeMap(data.canvas.Map, data.canvas.Width, data.canvas.Height, &painted) + "\",",
    };
    AssetCopier copier(data, data.UserPrompter(), FolderOfPath(scriptPath), webImages);

    if (!data.canvas.BackgroundSound.empty()) {
        lines.push_back("\t\"audio\":{\"src\":\"" + FileReference(data.canvas.BackgroundSound) +
                        "\",\"volume\":" + FormatDecimal(data.canvas.BackgroundVolume) + "},");
        if (!copier.Copy("Sounds", data.canvas.BackgroundSound)) {
            return false;
        }
    }

    lines.push_back("\t\"colors\":[");
    for (int area = 0; area <= 255; ++area) {
        const std::string name = data.areas.AreaNames[area];
        if (name.empty() || !painted[area]) {
            continue;
        }
        // A missing event row must read as a new area's defaults, not as the previous area's.
        data.ResetAllAttributes();
        data.ReadAttributes(name);
        lines.push_back("\t\t{\t\"color\":" + Number(area) + ",");
        if (withNames) {
            lines.push_back("\t\t\t\"name\":\"" + Text(name) + "\",");
        }
        lines.push_back("\t\t\t\"properties\": {");
        for (int event = 0; event < kEventCount; ++event) {
            lines.push_back(std::string("\t\t\t\t\"") + EventName(event) + "\": {");
            if (!AddEffectLines(lines, data.records.Attributes[event], copier)) {
                return false;
            }
            lines.push_back("\t\t\t\t\t\"q\":0");
            lines.push_back(event + 1 < kEventCount ? "\t\t\t\t}," : "\t\t\t\t}");
        }
        lines.push_back("\t\t\t}");
        lines.push_back("\t\t},");
    }
    lines.push_back("\t\t{ \"q\":0 }");
    lines.push_back("\t]");
    lines.push_back("}`");
    lines.push_back("];");

    WriteFileAtomically(scriptPath, JoinWebLines(lines));
    return true;
}

}  // namespace velmora
