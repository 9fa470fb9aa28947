#pragma once

#include <algorithm>
#include <exception>
#include <thread>
#include <vector>

#include "canvas/map/rect.h"

namespace velmora {

// Work on a large rectangle whose rows are independent is shared out over the cores in bands
// of whole rows, the first on the calling thread. Below minPixels it all stays on the calling
// thread, where starting threads would cost more than they save. The first failure of any band
// is rethrown once every band has ended.
template <class Work>
void InRowBands(const Rect& rect, long long minPixels, const Work& work) {
    constexpr unsigned kMaxBands = 4;
    const unsigned cores = std::thread::hardware_concurrency();
    const int bands = static_cast<int>(std::min(cores == 0 ? 1u : cores, kMaxBands));
    if (bands < 2 || static_cast<long long>(rect.width) * rect.height < minPixels) {
        work(rect);
        return;
    }
    const int step = (rect.height + bands - 1) / bands;
    std::vector<std::exception_ptr> failures(static_cast<std::size_t>(bands));
    {
        std::vector<std::jthread> workers;
        for (int band = 1; band < bands && rect.y + band * step < rect.Bottom(); ++band) {
            const int top = rect.y + band * step;
            const Rect part{rect.x, top, rect.width, std::min(step, rect.Bottom() - top)};
            workers.emplace_back([&work, &failures, part, band] {
                try {
                    work(part);
                } catch (...) {
                    failures[static_cast<std::size_t>(band)] = std::current_exception();
                }
            });
        }
        try {
            work(Rect{rect.x, rect.y, rect.width, std::min(step, rect.height)});
        } catch (...) {
            failures[0] = std::current_exception();
        }
    }  // the workers join here
    for (const std::exception_ptr& failure : failures) {
        if (failure) {
            std::rethrow_exception(failure);
        }
    }
}

}  // namespace velmora
