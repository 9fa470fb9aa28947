// The pieces object selection builds GrabCut from must do what GrabCut itself does: the colour
// models learnt from every pixel as a sample are GrabCut's own, and the cut with given models,
// contrast and smoothness is GrabCut's cut.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>

#include <opencv2/imgproc.hpp>

#include "canvas/tools/colour_mixture.h"
#include "canvas/tools/object_colour_models.h"
#include "canvas/tools/object_graph_cut.h"

namespace velmora::test {
namespace {

// A noisy orange disc with a thin dark stem on a blue-green ground of two shades, and its
// GrabCut mask: the box around them unsure, the rest background.
struct Scene {
    cv::Mat image;
    cv::Mat mask;
};

Scene MakeScene() {
    constexpr int kWidth = 90;
    constexpr int kHeight = 70;
    Scene scene{cv::Mat(kHeight, kWidth, CV_8UC3), cv::Mat(kHeight, kWidth, CV_8UC1)};
    std::mt19937 random(11);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const bool disc = std::hypot(x - 45.0, y - 32.0) < 18;
            const bool stem = x >= 44 && x <= 45 && y >= 50 && y < 64;
            cv::Vec3i colour = x < 30 ? cv::Vec3i(150, 120, 40) : cv::Vec3i(170, 150, 60);
            if (disc) {
                colour = {30, 120, 230};
            } else if (stem) {
                colour = {40, 60, 30};
            }
            cv::Vec3b& out = scene.image.at<cv::Vec3b>(y, x);
            for (int k = 0; k < 3; ++k) {
                out[k] = cv::saturate_cast<std::uint8_t>(colour[k] +
                                                         static_cast<int>(random() % 25) - 12);
            }
        }
    }
    scene.mask.setTo(cv::GC_BGD);
    scene.mask(cv::Rect(22, 10, 46, 56)).setTo(cv::GC_PR_FGD);
    return scene;
}

// GrabCut's contrast of a whole image: every neighbour pair counted once.
double ImageContrast(const cv::Mat& image) {
    double sum = 0;
    double pairs = 0;
    const auto add = [&](int y, int x, int ny, int nx) {
        const cv::Vec3d d =
            cv::Vec3d(image.at<cv::Vec3b>(y, x)) - cv::Vec3d(image.at<cv::Vec3b>(ny, nx));
        sum += d.dot(d);
        ++pairs;
    };
    for (int y = 0; y < image.rows; ++y) {
        for (int x = 0; x < image.cols; ++x) {
            if (x > 0) {
                add(y, x, y, x - 1);
            }
            if (y > 0 && x > 0) {
                add(y, x, y - 1, x - 1);
            }
            if (y > 0) {
                add(y, x, y - 1, x);
            }
            if (y > 0 && x + 1 < image.cols) {
                add(y, x, y - 1, x + 1);
            }
        }
    }
    return 1.0 / (2 * sum / pairs);
}

// How far apart two models are, over the weights and the components that hold colours (GrabCut
// leaves an emptied component's old means and covariances in its row).
double ModelDistance(const cv::Mat& a, const cv::Mat& b) {
    double distance = cv::norm(a.colRange(0, ColourMixture::kComponents),
                               b.colRange(0, ColourMixture::kComponents), cv::NORM_INF);
    for (int k = 0; k < ColourMixture::kComponents; ++k) {
        if (a.at<double>(0, k) > 0) {
            const int mean = ColourMixture::kComponents + 3 * k;
            const int covariance = ColourMixture::kComponents * 4 + 9 * k;
            distance = std::max(
                {distance,
                 cv::norm(a.colRange(mean, mean + 3), b.colRange(mean, mean + 3), cv::NORM_INF),
                 cv::norm(a.colRange(covariance, covariance + 9),
                          b.colRange(covariance, covariance + 9), cv::NORM_INF)});
        }
    }
    return distance;
}

std::vector<int> Identity(int size) {
    std::vector<int> index(static_cast<std::size_t>(size));
    std::iota(index.begin(), index.end(), 0);
    return index;
}

ObjectColourModels SampleEveryPixel(const cv::Mat& image) {
    ObjectColourModels models;
    for (int y = 0; y < image.rows; ++y) {
        for (int x = 0; x < image.cols; ++x) {
            models.Add(image.ptr<std::uint8_t>(y) + 3 * x, x, y, 1);
        }
    }
    return models;
}

TEST(ObjectGraphCut, ModelsLearntFromEveryPixelAreGrabCutsOwn) {
    Scene scene = MakeScene();
    ObjectColourModels models = SampleEveryPixel(scene.image);
    cv::Mat background;
    cv::Mat object;
    cv::theRNG() = cv::RNG();
    cv::grabCut(scene.image, scene.mask, cv::Rect(), background, object, 1, cv::GC_INIT_WITH_MASK);
    // GrabCut learnt on the box, then cut: our learning sees the box as it was.
    Scene before = MakeScene();
    models.Learn(before.mask, Identity(before.mask.cols), Identity(before.mask.rows));
    EXPECT_LT(ModelDistance(models.Background(), background), 1e-6);
    EXPECT_LT(ModelDistance(models.Object(), object), 1e-6);

    // The next iteration learns from the cut's labels and the models so far.
    cv::Mat labels = scene.mask.clone();
    cv::grabCut(scene.image, scene.mask, cv::Rect(), background, object, 1, cv::GC_EVAL);
    models.Learn(labels, Identity(labels.cols), Identity(labels.rows));
    EXPECT_LT(ModelDistance(models.Background(), background), 1e-6);
    EXPECT_LT(ModelDistance(models.Object(), object), 1e-6);
}

TEST(ObjectGraphCut, CutWithModelsIsGrabCutsCut) {
    const Scene scene = MakeScene();
    cv::Mat background;
    cv::Mat object;
    cv::Mat learnt = scene.mask.clone();
    cv::theRNG() = cv::RNG();
    cv::grabCut(scene.image, learnt, cv::Rect(), background, object, 2, cv::GC_INIT_WITH_MASK);
    const double contrast = ImageContrast(scene.image);

    // The labels after two iterations; with a sure core of the disc and a sure strip of
    // ground; and only scattered unsure pixels, none next to another.
    cv::Mat pinned = learnt.clone();
    pinned(cv::Rect(38, 25, 14, 14)).setTo(cv::GC_FGD);
    pinned(cv::Rect(22, 10, 46, 4)).setTo(cv::GC_BGD);
    cv::Mat scattered(learnt.size(), CV_8UC1, cv::Scalar(cv::GC_BGD));
    for (int y = 0; y < scattered.rows; y += 2) {
        for (int x = 0; x < scattered.cols; x += 2) {
            scattered.at<std::uint8_t>(y, x) =
                std::hypot(x - 45.0, y - 32.0) < 10 ? cv::GC_FGD : cv::GC_PR_FGD;
        }
    }
    for (const cv::Mat& labels : {learnt, pinned, scattered}) {
        cv::Mat theirs = labels.clone();
        cv::grabCut(scene.image, theirs, cv::Rect(), background, object, 1,
                    cv::GC_EVAL_FREEZE_MODEL);
        cv::Mat ours = labels.clone();
        CutWithModels(scene.image, ours, ColourMixture(background), ColourMixture(object),
                      {contrast, 50});
        EXPECT_EQ(cv::countNonZero(ours != theirs), 0);
    }

    // Without smoothness every unsure pixel goes to the model that explains its colour better.
    cv::Mat alone = learnt.clone();
    const ColourMixture backgroundMixture(background);
    const ColourMixture objectMixture(object);
    CutWithModels(scene.image, alone, backgroundMixture, objectMixture, {contrast, 0});
    int disagreeing = 0;
    for (int y = 0; y < alone.rows; ++y) {
        for (int x = 0; x < alone.cols; ++x) {
            const cv::Vec3d colour(scene.image.at<cv::Vec3b>(y, x));
            const bool object = objectMixture(colour) > backgroundMixture(colour);
            const std::uint8_t label = alone.at<std::uint8_t>(y, x);
            disagreeing += label != cv::GC_BGD && ((label & 1) != 0) != object;
        }
    }
    EXPECT_EQ(disagreeing, 0);
}

// One graph cut again as the models change (each cut starting from the last one's flow) gives
// the labels of GrabCut's own iterations.
TEST(ObjectGraphCut, AGraphCutAgainIsGrabCutsNextIteration) {
    const Scene scene = MakeScene();
    const double contrast = ImageContrast(scene.image);
    cv::Mat background;
    cv::Mat object;
    cv::Mat theirs = scene.mask.clone();
    cv::Mat ours = scene.mask.clone();
    ObjectGraphCut graph(scene.image, ours, {contrast, 50});
    cv::theRNG() = cv::RNG();
    cv::grabCut(scene.image, theirs, cv::Rect(), background, object, 1, cv::GC_INIT_WITH_MASK);
    for (int iteration = 0; iteration < 4; ++iteration) {
        if (iteration > 0) {
            cv::grabCut(scene.image, theirs, cv::Rect(), background, object, 1, cv::GC_EVAL);
        }
        graph.Cut(ours, ColourMixture(background), ColourMixture(object));
        EXPECT_EQ(cv::countNonZero(ours != theirs), 0) << "iteration " << iteration;
    }
}

TEST(ObjectGraphCut, PictureContrastEstimatesTheWholePicturesFromASample) {
    const Scene scene = MakeScene();
    const double exact = ImageContrast(scene.image);
    EXPECT_NEAR(PictureContrast(scene.image, 1e9), exact, exact * 0.05);
    EXPECT_NEAR(PictureContrast(scene.image, 500), exact, exact * 0.25);
    const cv::Mat flat(20, 20, CV_8UC3, cv::Scalar(7, 8, 9));
    EXPECT_EQ(PictureContrast(flat, 1e9), 0);
}

}  // namespace
}  // namespace velmora::test
