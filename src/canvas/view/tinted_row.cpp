#include "canvas/view/tinted_row.h"

#include <cstring>

#include "canvas/view/tinted_row_kernels.h"

namespace velmora {

namespace {

bool ProcessorHasAvx2() {
#if VELMORA_AVX2_ROWS
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return has;
#else
    return false;
#endif
}

}  // namespace

TintPattern MakeTintPattern(std::uint32_t color) {
    // Bytes 0xBBGGRR: the view's order is blue, green, red. A composer makes 255 of these for
    // every brush move, so 24 bytes (whole pixels and whole words) are made and copied.
    constexpr std::size_t kUnit = 24;
    TintPattern p;
    static_assert(sizeof(p.bytes) % kUnit == 0);
    for (std::size_t i = 0; i < kUnit; i += 3) {
        p.bytes[i] = static_cast<std::uint8_t>(color >> 16);
        p.bytes[i + 1] = static_cast<std::uint8_t>(color >> 8);
        p.bytes[i + 2] = static_cast<std::uint8_t>(color);
    }
    for (std::size_t filled = kUnit; filled < sizeof(p.bytes); filled += kUnit) {
        std::memcpy(p.bytes + filled, p.bytes, kUnit);
    }
    return p;
}

std::vector<RowKernel> AvailableRowKernels() {
    std::vector<RowKernel> kernels{RowKernel::Runs};
#if VELMORA_SSE2_ROWS
    kernels.push_back(RowKernel::Sse2Blocks);
#endif
    if (ProcessorHasAvx2()) {
        kernels.push_back(RowKernel::Avx2Blocks);
    }
    return kernels;
}

RowKernel FastestRowKernel() {
    static const RowKernel fastest = AvailableRowKernels().back();
    return fastest;
}

void ComposeTintedRow(RowKernel kernel, const std::uint8_t* src, const std::uint8_t* mapRow,
                      int mapWidth, int x0, int x1, const TintTable& tints, std::uint8_t* dst) {
    if (x1 <= x0) {
        return;
    }
    switch (kernel) {
#if VELMORA_SSE2_ROWS
        case RowKernel::Sse2Blocks:
            ComposeRowInBlocksSse2(src, mapRow, mapWidth, x0, x1, tints, dst);
            return;
#endif
#if VELMORA_AVX2_ROWS
        case RowKernel::Avx2Blocks:
            if (ProcessorHasAvx2()) {
                ComposeRowInBlocksAvx2(src, mapRow, mapWidth, x0, x1, tints, dst);
                return;
            }
            break;
#endif
        default:
            break;
    }
    ComposeRowByRuns(src, mapRow, mapWidth, x0, x1, tints, dst);
}

}  // namespace velmora
