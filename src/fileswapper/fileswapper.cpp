// fileswapper.exe: puts a downloaded new copy of the program in place of the old one.
//
// The update launcher starts it, from the program folder, with one parameter text
//   <program file name>;New_<program file name>
// and ends right after. The swapper waits for that program to end, moves the new copy
// over it and starts it again. A running executable cannot be replaced on Windows, so
// the wait is what makes the swap possible; it is bounded, and whatever goes wrong, the
// old program stays where it was (the move is one rename) and the user is told.
//
// Plain Win32, no Qt: the swapper must not depend on the DLLs it may be asked to replace.
#include "fileswapper/SwapRequest.h"

#include <windows.h>

#include <shellapi.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

namespace {

const wchar_t kTitle[] = L"파일교체";
// How long the program may take to end after it started us, and how long a file that
// was just let go may stay locked (a virus scanner, the shell's icon cache).
constexpr DWORD kProgramEndWaitMs = 60'000;
constexpr DWORD kMoveRetryMs = 30'000;

std::wstring OwnFolder() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0)
            return {};
        if (n < buffer.size()) {
            std::wstring path(buffer.data(), n);
            return path.substr(0, path.find_last_of(L"\\/"));
        }
        buffer.resize(buffer.size() * 2);
    }
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

std::wstring ProcessImage(HANDLE process) {
    std::vector<wchar_t> buffer(32768);
    DWORD size = static_cast<DWORD>(buffer.size());
    if (!QueryFullProcessImageNameW(process, 0, buffer.data(), &size))
        return {};
    return std::wstring(buffer.data(), size);
}

// Waits until no process runs the executable at path, at most until deadline (a
// GetTickCount64 value). False when one is still running then.
bool WaitUntilNotRunning(const std::wstring& path, ULONGLONG deadline) {
    const std::wstring name = path.substr(path.find_last_of(L"\\/") + 1);
    const DWORD self = GetCurrentProcessId();
    for (;;) {
        std::vector<HANDLE> running;
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        if (snapshot != INVALID_HANDLE_VALUE) {
            PROCESSENTRY32W entry{};
            entry.dwSize = sizeof entry;
            for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
                if (entry.th32ProcessID == self || !SamePath(entry.szExeFile, name))
                    continue;
                HANDLE process =
                    OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
                if (!process)
                    continue;
                // Only the copy in this folder counts: the same program may run from elsewhere.
                if (SamePath(ProcessImage(process), path))
                    running.push_back(process);
                else
                    CloseHandle(process);
            }
            CloseHandle(snapshot);
        }
        if (running.empty())
            return true;
        bool ended = true;
        for (HANDLE process : running) {
            const ULONGLONG now = GetTickCount64();
            const DWORD left = now < deadline ? static_cast<DWORD>(deadline - now) : 0;
            if (WaitForSingleObject(process, left) != WAIT_OBJECT_0)
                ended = false;
            CloseHandle(process);
        }
        if (!ended)
            return false;
        // Look again: another copy may have been started meanwhile.
    }
}

// Moves from over to, retrying while the old file is still held open.
bool MoveOver(const std::wstring& from, const std::wstring& to, DWORD* error) {
    const ULONGLONG deadline = GetTickCount64() + kMoveRetryMs;
    for (;;) {
        if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        *error = GetLastError();
        const bool busy =
            *error == ERROR_SHARING_VIOLATION || *error == ERROR_ACCESS_DENIED || *error == ERROR_LOCK_VIOLATION;
        if (!busy || GetTickCount64() >= deadline)
            return false;
        Sleep(200);
    }
}

std::wstring ErrorText(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD n =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring result = n ? std::wstring(text, n) : L"error " + std::to_wstring(error);
    LocalFree(text);
    return result;
}

int Fail(const std::wstring& message) {
    MessageBoxW(nullptr, message.c_str(), kTitle, MB_OK | MB_ICONEXCLAMATION);
    return 1;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    const worktide::SwapRequest request = worktide::ParseSwapRequest(commandLine ? commandLine : L"");
    if (!request.valid)
        return Fail(L"파일교체 프로그램의 인자가 올바르지 않습니다.\r\n\r\n" +
                    std::wstring(commandLine ? commandLine : L""));

    const std::wstring folder = OwnFolder();
    const std::wstring program = folder + L"\\" + request.program;
    const std::wstring newCopy = folder + L"\\" + request.newCopy;
    if (GetFileAttributesW(newCopy.c_str()) == INVALID_FILE_ATTRIBUTES)
        return Fail(L"새 버전의 파일이 없습니다.\r\n\r\n" + newCopy);

    if (!WaitUntilNotRunning(program, GetTickCount64() + kProgramEndWaitMs))
        return Fail(L"프로그램이 끝나지 않아 새 버전으로 바꾸지 못했습니다.\r\n\r\n" + program);

    DWORD error = 0;
    if (!MoveOver(newCopy, program, &error))
        return Fail(L"새 버전으로 바꾸지 못했습니다.\r\n\r\n" + program + L"\r\n" + ErrorText(error));

    const HINSTANCE started = ShellExecuteW(nullptr, L"open", program.c_str(), nullptr, folder.c_str(), SW_SHOWNORMAL);
    if (reinterpret_cast<INT_PTR>(started) <= 32)
        return Fail(L"새 버전을 실행하지 못했습니다.\r\n\r\n" + program);
    return 0;
}
