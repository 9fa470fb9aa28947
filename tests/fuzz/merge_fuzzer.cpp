// Merges pages whose HTML and data scripts are arbitrary: the input holds, split at
// fuzz::kPieceMark, the first page, its data script, the second page and its data script. The
// second page lies in another folder, so its picture and VLM files are brought along.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>

#include "export/page_merge.h"
#include "fuzz/fuzz_support.h"
#include "store/paths.h"

namespace {

struct Fixture {
    Fixture() : folder(velmora::fuzz::ScratchFolder() + "/merge") {
        using velmora::JoinPath;
        velmora::fuzz::MakeFolders(JoinPath(folder, "a/VLM"));
        velmora::fuzz::MakeFolders(JoinPath(folder, "b/VLM"));
        velmora::fuzz::WriteBytes(JoinPath(folder, "b/pic.png"), "picture");
        velmora::fuzz::WriteBytes(JoinPath(folder, "b/VLM/tone.mp3"), "sound");
    }
    std::string folder;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmora;
    static const Fixture fixture;
    const auto pieces = fuzz::SplitPieces(fuzz::Bytes(data, size), 4);
    auto piece = [&](std::size_t i) { return i < pieces.size() ? pieces[i] : std::string_view(); };
    const std::string first = JoinPath(fixture.folder, "a/one.html");
    const std::string second = JoinPath(fixture.folder, "b/two.html");
    fuzz::WriteBytes(first, piece(0));
    fuzz::WriteBytes(JoinPath(fixture.folder, "a/VLM/one.js"), piece(1));
    fuzz::WriteBytes(second, piece(2));
    fuzz::WriteBytes(JoinPath(fixture.folder, "b/VLM/two.js"), piece(3));
    const std::string out = JoinPath(fixture.folder, "out");
    fuzz::RemoveTree(out);
    fuzz::MakeFolders(out);
    fuzz::QuietPrompter prompter;
    try {
        MergePages({first, second, first}, JoinPath(out, "merged"), prompter);
    } catch (const std::exception&) {
    }
    return 0;
}
