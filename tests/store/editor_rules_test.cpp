// Small rules the editor and the CLI share: the recent projects list, what a dropped file is,
// and how a chosen sound is named.
#include <gtest/gtest.h>

#include "store/recent_projects.h"
#include "store/sound_caption.h"
#include "support/test_support.h"

namespace velmora::test {
namespace {

TEST(RecentProjects, NewestFirstWithoutDoublesAndAtMostEight) {
    TempFolder folder;
    std::vector<std::string> recent;
    for (int i = 1; i <= 10; ++i) {
        recent = RememberRecent(recent, folder / ("p" + std::to_string(i) + ".vlm"));
    }
    ASSERT_EQ(recent.size(), kRecentProjectsKept);
    EXPECT_EQ(recent.front(), folder / "p10.vlm");
    EXPECT_EQ(recent.back(), folder / "p3.vlm");

    // Opening one again moves it to the top instead of listing it twice.
    recent = RememberRecent(recent, folder / "p5.vlm");
    EXPECT_EQ(recent.size(), kRecentProjectsKept);
    EXPECT_EQ(recent.front(), folder / "p5.vlm");
    EXPECT_EQ(std::count(recent.begin(), recent.end(), folder / "p5.vlm"), 1);

    WriteFile(folder / "p5.vlm", "x");
    WriteFile(folder / "p9.vlm", "x");
    EXPECT_EQ(WithoutMissing(recent),
              (std::vector<std::string>{folder / "p5.vlm", folder / "p9.vlm"}));
}

TEST(FileKinds, JudgedByExtensionWithoutCase) {
    const struct {
        const char* path;
        FileKind kind;
    } cases[] = {
        {"/a/tour.vlm", FileKind::Project}, {"/a/TOUR.VLM", FileKind::Project},
        {"/a/hall.png", FileKind::Picture}, {"/a/hall.JPEG", FileKind::Picture},
        {"/a/hall.jpg", FileKind::Picture}, {"/a/hall.gif", FileKind::Picture},
        {"/a/hall.Bmp", FileKind::Picture}, {"/a/page.html", FileKind::Other},
        {"/a.vlm/readme", FileKind::Other}, {"/a/noextension", FileKind::Other},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(KindOfFile(c.path), c.kind) << c.path;
    }
}

TEST(SoundCaption, NameAndLengthInTenths) {
    EXPECT_EQ(SoundCaption("bell.ogg", 1.5), "Файл: bell.ogg (1,5 с)");
    EXPECT_EQ(SoundCaption("bell.ogg", 62.04), "Файл: bell.ogg (62,0 с)");
    EXPECT_EQ(SoundCaption("bell.ogg", -1), "Файл: bell.ogg");
    EXPECT_EQ(SoundCaption("", 3), "");
}

}  // namespace
}  // namespace velmora::test
