#include "support/modWaitProc.h"

#include "support/MsgBox.h"

#include <QDir>

#include <windows.h>

#include <shellapi.h>

#include <string>

namespace worktide {
namespace {

// Paths reach the shell with backslashes; addresses stay as they are.
std::wstring NativePath(const QString& path) {
    return QDir::toNativeSeparators(path).toStdWString();
}

// One start through the shell's ShellExecuteEx; after run() succeeded, info.hProcess holds
// the process when one was started. The texts live as long as the call needs them.
struct ShellStart {
    std::wstring file, parameters, directory;
    SHELLEXECUTEINFOW info{};

    bool run(const QString& fileName, void* owner, const QString& parameterText, const QString& folder, int show) {
        file = NativePath(fileName);
        parameters = parameterText.toStdWString();
        directory = NativePath(folder);
        info.cbSize = sizeof info;
        // No error boxes of the shell's own: the caller tells the user in its words.
        info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
        info.hwnd = static_cast<HWND>(owner);
        info.lpVerb = L"open";
        info.lpFile = file.c_str();
        info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
        info.lpDirectory = directory.empty() ? nullptr : directory.c_str();
        info.nShow = show;
        return ShellExecuteExW(&info) != FALSE;
    }
};

} // namespace

bool ShellExecuteAndWait(const QString& file, void* owner, const QString& parameters, const QString& directory,
                         bool hidden, bool minimised, UserMessages& failures) {
    const int show = hidden ? SW_HIDE : minimised ? SW_SHOWMINNOACTIVE : SW_SHOWNORMAL;
    ShellStart start;
    if (!start.run(file, owner, parameters, directory, show)) {
        const QString reason = qt_error_string(static_cast<int>(GetLastError()));
        failures.append({QStringLiteral("프로그램을 실행할 수 없습니다.") + QStringLiteral("\r\n\r\n") +
                             QDir::toNativeSeparators(file) + QStringLiteral("\r\n") + reason,
                         vbExclamation,
                         {}});
        return false;
    }
    if (start.info.hProcess) {
        WaitForSingleObject(start.info.hProcess, INFINITE);
        CloseHandle(start.info.hProcess);
    }
    return true;
}

bool ShellExecuteDetached(const QString& file, const QString& parameters, const QString& directory) {
    ShellStart start;
    if (!start.run(file, nullptr, parameters, directory, SW_SHOWNORMAL))
        return false;
    if (start.info.hProcess)
        CloseHandle(start.info.hProcess);
    return true;
}

void OpenWithSystem(const QString& target) {
    const bool address = target.contains(QStringLiteral("://"));
    const std::wstring text = address ? target.toStdWString() : NativePath(target);
    ShellExecuteW(nullptr, L"open", text.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

} // namespace worktide
