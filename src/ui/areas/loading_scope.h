#pragma once

namespace velmora {

// Keeps a window's Loading flag set while its controls are filled from a record, so that the
// change handlers those fills trigger store nothing.
class LoadingScope {
public:
    explicit LoadingScope(bool& flag) : m_flag(flag), m_old(flag) { m_flag = true; }
    ~LoadingScope() { m_flag = m_old; }
    LoadingScope(const LoadingScope&) = delete;
    LoadingScope& operator=(const LoadingScope&) = delete;

private:
    bool& m_flag;
    bool m_old;
};

}  // namespace velmora
