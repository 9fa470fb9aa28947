#include <gtest/gtest.h>

#include "store/paths.h"

namespace velmora {
namespace {

struct PathCase {
    const char* path;
    const char* folder;
    const char* name;
    const char* stripped;
    const char* extension;
};

TEST(PathFunctions, SplitPathsAtTheSeparator) {
    const PathCase cases[] = {
        {"/work/tour.vlm", "/work", "tour.vlm", "/work/tour", ".vlm"},
        {"/work/hall.jpg", "/work", "hall.jpg", "/work/hall", ".jpg"},
        {"/my.dir/hall", "/my.dir", "hall", "/my.dir/hall", ".dir/hall"},
        {"hall", "", "hall", "hall", ""},
        {"a/b\\c", "a", "c", "a/b\\c", ""},
        {"a/b\\c.d", "a", "c.d", "a/b\\c", ".d"},
        {"archive.tar.gz", "", "archive.tar.gz", "archive.tar", ".gz"},
        {"/", "", "", "/", ""},
        {"dir/", "dir", "", "dir/", ""},
        {".hidden", "", ".hidden", "", ".hidden"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(ExtractFolder(c.path), c.folder);
        EXPECT_EQ(ExtractName(c.path), c.name);
        EXPECT_EQ(StripExtension(c.path), c.stripped);
        EXPECT_EQ(ExtractExtension(c.path), c.extension);
    }
}

TEST(PathFunctions, EnsureExtensionComparesWithoutCase) {
    const std::pair<const char*, const char*> cases[] = {
        {"tour", "tour.vlm"},     {"TOUR.VLM", "TOUR.VLM"},   {"tour.vlm", "tour.vlm"},
        {"tour.Vlm", "tour.Vlm"}, {"tour.vl", "tour.vl.vlm"}, {"", ".vlm"},
        {"vlm", "vlm.vlm"},       {"тур", "тур.vlm"},
    };
    for (const auto& [in, out] : cases) {
        EXPECT_EQ(EnsureExtension(in, ".vlm"), out) << in;
    }
    EXPECT_EQ(EnsureExtension("page.HTML", ".html"), "page.HTML");
}

TEST(PathFunctions, PlainFileNamesNeverLeaveTheirFolder) {
    for (const char* good : {"hall.jpg", "Зал 1.png", "a..b", "...", "-x"}) {
        EXPECT_TRUE(IsPlainFileName(good)) << good;
    }
    for (const std::string& bad : {std::string(), std::string("."), std::string(".."),
                                   std::string("../x.png"), std::string("a/b"), std::string("a\\b"),
                                   std::string("/etc/passwd"), std::string("x\0y", 3)}) {
        EXPECT_FALSE(IsPlainFileName(bad)) << bad;
    }
}

}  // namespace
}  // namespace velmora
