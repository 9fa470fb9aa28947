// Imports areas from an arbitrary source file into a valid project with a picture and areas.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <string>

#include "fuzz/fuzz_support.h"
#include "store/paths.h"

namespace {

struct Fixture {
    Fixture() : folder(velmora::fuzz::ScratchFolder() + "/import") {
        velmora::fuzz::MakeSampleProject(velmora::JoinPath(folder, "template.vlm"), true, 3);
    }
    std::string folder;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmora;
    static const Fixture fixture;
    const std::string target = JoinPath(fixture.folder, "target.vlm");
    const std::string source = JoinPath(fixture.folder, "source.vlm");
    fuzz::RemoveProjectSideFiles(target);
    fuzz::RemoveProjectSideFiles(source);
    std::filesystem::copy_file(JoinPath(fixture.folder, "template.vlm"), target,
                               std::filesystem::copy_options::overwrite_existing);
    fuzz::WriteBytes(source, fuzz::Bytes(data, size));
    {
        fuzz::Session session;
        COMMON_DATA& state = session.data;
        // The first byte decides how questions are answered, so both answers get explored.
        session.prompter.agree = size > 0 && (data[0] & 1) != 0;
        try {
            if (state.OpenProject(target) && state.LoadPicture()) {
                state.ImportAreas(source);
                state.ListAreas();
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
