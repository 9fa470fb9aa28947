#include "fuzz/fuzz_support.h"

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "store/attributes.h"
#include "store/image_file.h"
#include "store/paths.h"

namespace velmora::fuzz {

namespace fs = std::filesystem;

Answer QuietPrompter::Ask(const std::string&, const std::string&, Buttons buttons) {
    if (agree) {
        return Answer::Yes;
    }
    return buttons == Buttons::YesNoCancel ? Answer::Cancel : Answer::No;
}

Session::Session() : data(prompter) {
    data.project.ProjectDb = &projectDb;
    data.project.SourceDb = &sourceDb;
}

Session::~Session() {
    try {
        if (data.project.ProjectOpen) {
            data.CloseProject();
        }
    } catch (...) {
    }
}

const std::string& ScratchFolder() {
    // Never destroyed: the exit handler that removes the folder runs after static destructors.
    static const std::string* folder = [] {
        std::error_code ec;
        const char* env = std::getenv("TMPDIR");
        std::string base = fs::is_directory("/dev/shm", ec) && ::access("/dev/shm", W_OK) == 0
                               ? std::string("/dev/shm")
                               : std::string(env && *env ? env : "/tmp");
        std::string pattern = base + "/velmora-fuzz-XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (!::mkdtemp(buffer.data())) {
            throw std::runtime_error("cannot create a scratch folder under " + base);
        }
        auto* made = new std::string(buffer.data());
        // libFuzzer ends with exit(), which runs this; a crash leaves the folder for a look.
        std::atexit([] { RemoveTree(ScratchFolder()); });
        return made;
    }();
    return *folder;
}

void WriteBytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
}

void MakeFolders(const std::string& path) {
    std::error_code ec;
    fs::create_directories(path, ec);
}

void RemoveTree(const std::string& path) {
    std::error_code ec;
    fs::remove_all(path, ec);
}

void RemoveProjectSideFiles(const std::string& projectPath) {
    for (const char* suffix : {"-journal", "-wal", "-shm"}) {
        ::unlink((projectPath + suffix).c_str());
    }
}

std::vector<std::string_view> SplitPieces(std::string_view input, std::size_t maxPieces) {
    std::vector<std::string_view> pieces;
    while (pieces.size() + 1 < maxPieces) {
        const auto at = input.find(kPieceMark);
        if (at == std::string_view::npos) {
            break;
        }
        pieces.push_back(input.substr(0, at));
        input.remove_prefix(at + kPieceMark.size());
    }
    pieces.push_back(input);
    return pieces;
}

namespace {

Bitmap Gradient(int width, int height) {
    Bitmap bitmap(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = bitmap.Pixel(x, y);
            p[0] = static_cast<std::uint8_t>(x * 30);
            p[1] = static_cast<std::uint8_t>(y * 40);
            p[2] = static_cast<std::uint8_t>((x + y) * 17);
        }
    }
    return bitmap;
}

Bitmap AreaMap(int width, int height) {
    Bitmap map(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint8_t area = x < width / 2 ? 1 : (y < height / 2 ? 2 : 0);
            std::uint8_t* p = map.Pixel(x, y);
            p[0] = p[1] = p[2] = area;
        }
    }
    return map;
}

}  // namespace

void PlaceProjectFiles(const std::string& projectFolder) {
    for (const char* folder : kWorkFolders) {
        MakeFolders(JoinPath(projectFolder, folder));
    }
    SaveImageFile(Gradient(8, 6), JoinPath(projectFolder, "Images/pic.png"));
    SaveImageFile(AreaMap(8, 6), JoinPath(projectFolder, "Maps/pic.png"));
    SaveImageFile(AreaMap(3, 9), JoinPath(projectFolder, "Maps/small.png"));
    SaveImageFile(Gradient(4, 4), JoinPath(projectFolder, "Pictures/pop.png"));
    SaveImageFile(Gradient(2, 2), JoinPath(projectFolder, "Pictures/over.gif"));
    WriteBytes(JoinPath(projectFolder, "Sounds/tone.mp3"), "not really a sound");
}

void MakeSampleProject(const std::string& path, bool withPicture, int areaCount) {
    PlaceProjectFiles(ExtractFolder(path));
    std::error_code ec;
    fs::remove(path, ec);
    Session session;
    COMMON_DATA& data = session.data;
    if (!data.CreateProject(path)) {
        throw std::runtime_error("cannot create " + path);
    }
    if (withPicture) {
        // The picture row as an import leaves it, without copying the file again.
        data.project.ProjectDb->Execute(
            "UPDATE pictures SET picture='pic.png', map='pic.png', width=8, height=6, "
            "sound='tone.mp3', volume=70;");
    }
    for (int i = 1; i <= areaCount; ++i) {
        const std::string name = "Область " + std::to_string(i);
        data.AddArea(name, true);
        data.ReadAttributes(name);
        ATTRIBUTES& over = data.records.Attributes[0];
        over.message_text = "Текст\r\n`${i}` \"" + std::to_string(i) + "\"";
        over.picture_file_name = "pop.png";
        over.overlay_file_name = "over.gif";
        over.sound_file_name = "tone.mp3";
        over.link = "https://example.org/?a=1#b";
        over.area_brightness = 10 * i;
        data.records.Attributes[1].copy_text = "copy";
        data.records.Attributes[2].js_code = "alert(1)";
        data.records.AttributesModified = true;
        data.WriteAttributes(name);
    }
    data.CloseProject();
}

}  // namespace velmora::fuzz
