#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "store/common_data.h"
#include "store/paths.h"
#include "support/test_support.h"

namespace velmora::test {

// An open project in a fresh folder with a small area map that tests paint directly, and a
// program folder holding stand-in runtime files.
class ExportTest : public ::testing::Test {
protected:
    ExportTest() : data(prompter) {
        data.project.ProjectDb = &projectDb;
        data.project.SourceDb = &sourceDb;
        EXPECT_TRUE(data.CreateProject(folder / "tour.vlm"));
        std::filesystem::create_directory(ProgramFolder());
        WriteFile(JoinPath(ProgramFolder(), "vlm4.js"), "// runtime\n");
        WriteFile(JoinPath(ProgramFolder(), "vlm4.css"), "/* style */\n");
    }
    ~ExportTest() override {
        try {
            if (data.project.ProjectOpen) {
                data.CloseProject();
            }
        } catch (...) {
        }
    }

    // Sizes the picture and its map; every pixel starts as no area.
    void SetPictureSize(int width, int height) {
        data.canvas.Width = width;
        data.canvas.Height = height;
        data.canvas.Map.Resize(width, height);
    }

    // Sets all three bytes of the pixels in the rectangle to area.
    void Paint(int left, int top, int width, int height, int area) {
        for (int y = top; y < top + height; ++y) {
            for (int x = left; x < left + width; ++x) {
                std::uint8_t* p = data.canvas.Map.Pixel(x, y);
                p[0] = p[1] = p[2] = static_cast<std::uint8_t>(area);
            }
        }
    }

    // Registers an area with its three default records; its number.
    int AddArea(const std::string& name) {
        const int number = data.AddArea(name, true);
        EXPECT_GT(number, 0) << name;
        return number;
    }

    // Changes one stored record of an area.
    void EditRecord(const std::string& area, int event,
                    const std::function<void(ATTRIBUTES&)>& edit) {
        ASSERT_TRUE(data.ReadAttributes(area));
        edit(data.records.Attributes[event]);
        ASSERT_TRUE(data.WriteAttributes(area));
    }

    // A file in one of the project's working folders.
    void PutWorkFile(const std::string& workFolder, const std::string& name,
                     const std::string& bytes = "data") {
        WriteFile(JoinPath(folder / workFolder, name), bytes);
    }

    // The picture as loaded: a file in Images and the session fields that name it.
    void LoadPictureNamed(const std::string& name, const std::string& bytes = "picture") {
        PutWorkFile("Images", name, bytes);
        data.canvas.PictureFileName = name;
        data.canvas.PictureLoaded = true;
    }

    std::string ProgramFolder() const { return folder / "program"; }

    TempFolder folder;
    ScriptedPrompter prompter;
    DbConnection projectDb;
    DbConnection sourceDb;
    COMMON_DATA data;
};

// The id of every img element of a page, in order.
inline std::vector<std::string> ImageIds(const std::string& page) {
    std::vector<std::string> ids;
    for (auto at = page.find("<img "); at != std::string::npos; at = page.find("<img ", at + 1)) {
        const auto start = page.find(" id=\"", at);
        const auto end = start == std::string::npos ? start : page.find('"', start + 5);
        if (end != std::string::npos) {
            ids.push_back(page.substr(start + 5, end - start - 5));
        }
    }
    return ids;
}

// tests/export/golden/<case>/<file>.
inline std::string GoldenPath(const std::string& caseName, const std::string& file) {
    return std::string(VELMORA_EXPORT_TEST_DIR) + "/golden/" + caseName + "/" + file;
}

inline bool NodeAvailable() {
    return std::system("node --version >/dev/null 2>&1") == 0;
}

// Runs node on tests/export/<script> with the arguments and returns what it printed; a failing
// run fails the test.
inline std::string RunNode(const std::string& script, const std::vector<std::string>& arguments) {
    std::string command = "node '" + std::string(VELMORA_EXPORT_TEST_DIR) + "/" + script + "'";
    for (const std::string& argument : arguments) {
        command += " '" + argument + "'";
    }
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    if (!pipe) {
        ADD_FAILURE() << "cannot run " << command;
        return {};
    }
    std::string output;
    char buffer[4096];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe.get())) {
        output.append(buffer, n);
    }
    const int status = ::pclose(pipe.release());
    EXPECT_EQ(status, 0) << command << "\n" << output;
    return output;
}

}  // namespace velmora::test
