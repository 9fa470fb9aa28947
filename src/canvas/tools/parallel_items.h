#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <exception>
#include <thread>
#include <vector>

namespace velmora {

// Independent items of work shared out over the cores, the calling thread among them: each
// thread takes the next item not yet taken, so the results (kept per item) do not depend on
// which thread did what. The calling thread calls afterEach() after each item of its own,
// which may throw (a cancel) to stop the rest. The first failure is rethrown once every thread
// has stopped.
template <class Work, class AfterEach>
void ForEachItemInParallel(std::size_t count, const Work& work, const AfterEach& afterEach) {
    constexpr unsigned kMaxThreads = 4;
    const unsigned cores = std::thread::hardware_concurrency();
    const std::size_t threads =
        std::min<std::size_t>(std::min(cores == 0 ? 1u : cores, kMaxThreads), count);
    std::atomic<std::size_t> next{0};
    std::atomic<bool> stop{false};
    std::vector<std::exception_ptr> failures(std::max<std::size_t>(threads, 1));
    const auto take = [&](std::size_t thread, bool calling) {
        try {
            for (std::size_t item = next++; item < count && !stop; item = next++) {
                work(item);
                if (calling) {
                    afterEach();
                }
            }
        } catch (...) {
            failures[thread] = std::current_exception();
            stop = true;
        }
    };
    {
        std::vector<std::jthread> workers;
        for (std::size_t thread = 1; thread < threads; ++thread) {
            workers.emplace_back([&take, thread] { take(thread, false); });
        }
        take(0, true);
    }  // the workers join here
    for (const std::exception_ptr& failure : failures) {
        if (failure) {
            std::rethrow_exception(failure);
        }
    }
}

}  // namespace velmora
