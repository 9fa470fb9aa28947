// Object selection against OpenCV's GrabCut at full size: on real photographs with an obvious
// object, the selection in a box must agree with GrabCut run on the whole picture at full size
// with the same box and iteration count. The photographs come from the Debian package
// mate-backgrounds, installed by scripts/setup; without it the cases are skipped.
#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>

#include "canvas/tools/object_select.h"
#include "photo_objects.h"
#include "store/image_file.h"

namespace velmora::test {
namespace {

constexpr int kIterations = 5;  // the selection's own iteration count

}  // namespace

// Test names show the photograph, not the bytes of its case.
void PrintTo(const PhotoObject& photo, std::ostream* out) {
    *out << photo.name;
}

namespace {

class ObjectSelectReference : public ::testing::TestWithParam<PhotoObject> {};

TEST_P(ObjectSelectReference, AgreesWithFullSizeGrabCut) {
    const PhotoObject& photo = GetParam();
    if (!std::filesystem::exists(PhotoPath(photo))) {
        GTEST_SKIP() << PhotoPath(photo)
                     << " is missing: the package mate-backgrounds is not installed "
                        "(scripts/setup installs it)";
    }
    Bitmap picture;
    ASSERT_TRUE(LoadImageFile(picture, PhotoPath(photo).string()));
    const std::vector<std::uint8_t> ours = SegmentObject(picture, photo.box);
    const std::vector<std::uint8_t> reference = FullSizeGrabCut(picture, photo.box, kIterations);
    EXPECT_GE(Iou(ours, reference), photo.minimumIou);
}

INSTANTIATE_TEST_SUITE_P(Photos, ObjectSelectReference, ::testing::ValuesIn(PhotoObjects()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velmora::test
