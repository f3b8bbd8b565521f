#pragma once

#include <functional>

// Ending the process goes through this one function. The default ends the process
// at once; tests install a handler that only records the request, so every caller
// must return right after calling it.
namespace worktide {

using ExitHandler = std::function<void(int code)>;

void EndProcess(int code = 0);
// An empty handler restores the default.
void SetExitHandler(ExitHandler handler);

// Installs handler for its lifetime and then puts back the one installed before.
class ScopedExitHandler {
public:
    explicit ScopedExitHandler(ExitHandler handler);
    ~ScopedExitHandler();
    ScopedExitHandler(const ScopedExitHandler&) = delete;
    ScopedExitHandler& operator=(const ScopedExitHandler&) = delete;

private:
    ExitHandler m_previous;
};

} // namespace worktide
