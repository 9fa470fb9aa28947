#include "export/export_replacements.h"

#include <set>

#include "canvas/map/area_presence.h"
#include "store/attributes.h"
#include "store/common_data.h"
#include "store/files.h"
#include "store/paths.h"
#include "store/prompter.h"
#include "store/store_messages.h"

namespace velmora {

std::vector<ExportCopy> ExportCopies(COMMON_DATA& data, const std::string& pageFolder) {
    std::vector<ExportCopy> copies;
    const std::string vlmFolder = JoinPath(pageFolder, "VLM");
    const auto add = [&](const char* workFolder, const std::string& name,
                         const std::string& folder) {
        const std::string source =
            name.empty() ? std::string() : data.project.WorkFilePath(workFolder, name);
        if (!source.empty() && EntryExists(source)) {
            copies.push_back({source, JoinPath(folder, name)});
        }
    };
    add("Images", data.canvas.PictureFileName, pageFolder);
    add("Sounds", data.canvas.BackgroundSound, vlmFolder);
    data.WritePendingAttributes();
    const AreaPresence painted = AreasOnMap(data.canvas.Map);
    for (int area = 1; area <= 255; ++area) {
        const std::string name = data.areas.AreaNames[area];
        if (name.empty() || !painted[area]) {
            continue;
        }
        data.ResetAllAttributes();
        data.ReadAttributes(name);
        for (const ATTRIBUTES& a : data.records.Attributes) {
            add("Pictures", a.picture_file_name, vlmFolder);
            add("Pictures", a.overlay_file_name, vlmFolder);
            add("Sounds", a.sound_file_name, vlmFolder);
        }
    }
    return copies;
}

std::optional<std::vector<ExportCopy>> AgreedReplacements(COMMON_DATA& data,
                                                          const std::string& pageFolder) {
    std::vector<ExportCopy> agreed;
    std::set<std::string> asked;
    for (const ExportCopy& copy : ExportCopies(data, pageFolder)) {
        if (!asked.insert(copy.destination).second || !FileExists(copy.destination) ||
            SameFile(copy.source, copy.destination) || SameContent(copy.source, copy.destination)) {
            continue;
        }
        if (data.UserPrompter().AskSafely(Naming(msg::kReplaceFileQuestion, copy.destination),
                                          kConfirmCaption, Buttons::YesNo) != Answer::Yes) {
            return std::nullopt;
        }
        agreed.push_back(copy);
    }
    return agreed;
}

}  // namespace velmora
