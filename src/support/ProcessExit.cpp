#include "support/ProcessExit.h"

#include <cstdio>
#include <cstdlib>

namespace worktide {
namespace {
ExitHandler g_handler;
}

void EndProcess(int code) {
    if (g_handler) {
        g_handler(code);
        return;
    }
    std::fflush(nullptr);
    // Ends at once: no unwinding through whatever window called us.
    std::_Exit(code);
}

void SetExitHandler(ExitHandler handler) {
    g_handler = std::move(handler);
}

ScopedExitHandler::ScopedExitHandler(ExitHandler handler) : m_previous(std::move(g_handler)) {
    g_handler = std::move(handler);
}

ScopedExitHandler::~ScopedExitHandler() {
    g_handler = std::move(m_previous);
}

} // namespace worktide
