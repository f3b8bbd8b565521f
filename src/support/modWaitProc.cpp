#include "support/modWaitProc.h"

namespace worktide {
namespace {

DesktopOpener& Opener() {
    static DesktopOpener opener;
    return opener;
}

} // namespace

void SetDesktopOpener(DesktopOpener opener) {
    Opener() = std::move(opener);
}

ScopedDesktopOpener::ScopedDesktopOpener(DesktopOpener opener) : m_previous(std::move(Opener())) {
    Opener() = std::move(opener);
}

ScopedDesktopOpener::~ScopedDesktopOpener() {
    Opener() = std::move(m_previous);
}

void OpenInDesktop(const QString& target) {
    if (const DesktopOpener& opener = Opener()) {
        opener(target);
        return;
    }
    OpenWithSystem(target);
}

} // namespace worktide
