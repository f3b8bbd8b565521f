#include "support/AppPaths.h"

#include <QDir>

#include <windows.h>

#include <vector>

namespace worktide {

QString RunningExecutablePath() {
    // A long path needs a bigger buffer than MAX_PATH; the call says so by filling it.
    std::vector<wchar_t> buffer(MAX_PATH);
    for (int attempt = 0; attempt < 6; ++attempt) {
        const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0)
            return {};
        if (n < buffer.size())
            return QDir::fromNativeSeparators(QString::fromWCharArray(buffer.data(), static_cast<qsizetype>(n)));
        buffer.resize(buffer.size() * 2);
    }
    return {};
}

} // namespace worktide
