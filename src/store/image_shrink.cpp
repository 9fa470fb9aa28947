#include "store/image_shrink.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

namespace velmora {

namespace {

// One source pixel's share of one target pixel.
struct Share {
    int target;
    float weight;
};

// For each source index along one side, the (at most two, when shrinking) target indices it
// falls into and its weight there; the weights of each target add up to 1.
std::vector<std::vector<Share>> SharesAlong(int sourceLength, int targetLength) {
    std::vector<std::vector<Share>> shares(static_cast<std::size_t>(sourceLength));
    const double scale = static_cast<double>(sourceLength) / targetLength;
    for (int t = 0; t < targetLength; ++t) {
        const double start = t * scale;
        const double end = (t + 1) * scale;
        const int first = static_cast<int>(std::floor(start));
        const int last = std::min(sourceLength - 1, static_cast<int>(std::ceil(end)) - 1);
        for (int s = first; s <= last; ++s) {
            const double covered = std::min<double>(s + 1, end) - std::max<double>(s, start);
            if (covered > 1e-9) {
                shares[static_cast<std::size_t>(s)].push_back(
                    {t, static_cast<float>(covered / scale)});
            }
        }
    }
    return shares;
}

}  // namespace

Bitmap ShrinkByArea(const Bitmap& source, int width, int height) {
    if (width <= 0 || height <= 0 || width > source.Width() || height > source.Height()) {
        throw std::invalid_argument("ShrinkByArea only makes pictures smaller");
    }
    if (width == source.Width() && height == source.Height()) {
        return source;
    }
    const auto columns = SharesAlong(source.Width(), width);
    const auto rows = SharesAlong(source.Height(), height);
    const std::size_t rowFloats = static_cast<std::size_t>(width) * 3;
    // Source rows are shrunk across one at a time and added into the target rows they cover;
    // a target row is finished once the last source row it covers has been added.
    std::vector<float> across(rowFloats);
    std::vector<std::vector<float>> sums(static_cast<std::size_t>(height));
    Bitmap target(width, height);
    int nextToFinish = 0;
    const auto finish = [&](int row) {
        std::vector<float>& sum = sums[static_cast<std::size_t>(row)];
        std::uint8_t* out = target.Row(row);
        for (std::size_t i = 0; i < rowFloats; ++i) {
            out[i] = static_cast<std::uint8_t>(std::clamp(std::lround(sum[i]), 0L, 255L));
        }
        std::vector<float>().swap(sum);
    };
    for (int y = 0; y < source.Height(); ++y) {
        std::fill(across.begin(), across.end(), 0.0f);
        const std::uint8_t* in = source.Row(y);
        for (int x = 0; x < source.Width(); ++x, in += 3) {
            for (const Share& share : columns[static_cast<std::size_t>(x)]) {
                float* to = &across[static_cast<std::size_t>(share.target) * 3];
                to[0] += share.weight * in[0];
                to[1] += share.weight * in[1];
                to[2] += share.weight * in[2];
            }
        }
        for (const Share& share : rows[static_cast<std::size_t>(y)]) {
            std::vector<float>& sum = sums[static_cast<std::size_t>(share.target)];
            if (sum.empty()) {
                sum.assign(rowFloats, 0.0f);
            }
            for (std::size_t i = 0; i < rowFloats; ++i) {
                sum[i] += share.weight * across[i];
            }
        }
        // Rows end in order: every target row before the first one this source row feeds is
        // complete.
        const int firstFed = rows[static_cast<std::size_t>(y)].empty()
                                 ? height
                                 : rows[static_cast<std::size_t>(y)].front().target;
        for (; nextToFinish < firstFed; ++nextToFinish) {
            finish(nextToFinish);
        }
    }
    for (; nextToFinish < height; ++nextToFinish) {
        finish(nextToFinish);
    }
    return target;
}

}  // namespace velmora
