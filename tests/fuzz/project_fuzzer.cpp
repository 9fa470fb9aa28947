// Opens arbitrary bytes as a project file and runs what opening and exporting it does: the
// picture and map, the area list, every area's records and the data script.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>

#include "export/data_script.h"
#include "fuzz/fuzz_support.h"
#include "store/paths.h"

namespace {

struct Fixture {
    Fixture() : folder(velmora::fuzz::ScratchFolder() + "/project") {
        velmora::fuzz::PlaceProjectFiles(folder);
    }
    std::string folder;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmora;
    static const Fixture fixture;
    const std::string project = JoinPath(fixture.folder, "fuzz.vlm");
    const std::string exportFolder = JoinPath(fixture.folder, "export");
    fuzz::RemoveProjectSideFiles(project);
    fuzz::WriteBytes(project, fuzz::Bytes(data, size));
    fuzz::RemoveTree(exportFolder);
    fuzz::MakeFolders(JoinPath(exportFolder, "VLM"));
    {
        fuzz::Session session;
        COMMON_DATA& state = session.data;
        // Errors that reach the generic error report are exceptions with a text: fine here.
        try {
            if (state.OpenProject(project)) {
                state.LoadPicture();
                if (state.ListAreas()) {
                    for (const std::string& name : state.areas.AreaNames) {
                        if (!name.empty()) {
                            state.ReadAttributes(name);
                        }
                    }
                }
                if (state.canvas.PictureLoaded) {
                    WriteDataScript(state, JoinPath(exportFolder, "VLM/page.js"));
                }
            }
        } catch (const std::exception&) {
        }
        try {
            if (state.project.ProjectOpen) {
                state.CloseProject();
            }
        } catch (const std::exception&) {
        }
    }
    return 0;
}
