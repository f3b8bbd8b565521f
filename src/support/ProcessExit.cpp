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

} // namespace worktide
