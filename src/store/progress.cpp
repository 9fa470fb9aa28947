#include "store/progress.h"

namespace velmora {

namespace {

thread_local Progress* t_current = nullptr;

}  // namespace

Progress& NoProgress() {
    // Stateless, so one object serves every thread.
    static Progress none;
    return none;
}

Progress& ThreadProgress() {
    return t_current ? *t_current : NoProgress();
}

ProgressScope::ProgressScope(Progress& progress) : m_outer(t_current) {
    t_current = &progress;
}

ProgressScope::~ProgressScope() {
    t_current = m_outer;
}

}  // namespace velmora
