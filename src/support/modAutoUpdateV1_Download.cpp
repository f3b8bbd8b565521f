#include "support/modAutoUpdateV1_Download.h"

// The time-outs every platform's reads use (modAutoUpdateV1_Download_curl.cpp, _qt.cpp).
namespace worktide {
namespace {
UpdateHttpTimeouts g_timeouts;
} // namespace

void SetUpdateHttpTimeouts(const UpdateHttpTimeouts& timeouts) {
    g_timeouts = timeouts;
}
UpdateHttpTimeouts CurrentUpdateHttpTimeouts() {
    return g_timeouts;
}

ScopedUpdateHttpTimeouts::ScopedUpdateHttpTimeouts(const UpdateHttpTimeouts& timeouts) : m_previous(g_timeouts) {
    g_timeouts = timeouts;
}

ScopedUpdateHttpTimeouts::~ScopedUpdateHttpTimeouts() {
    g_timeouts = m_previous;
}

} // namespace worktide
