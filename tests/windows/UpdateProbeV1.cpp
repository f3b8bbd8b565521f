// A stand-in for the update checker, for the tests of the real update round trip.
// Started by the program with "<revision>;<program file name>", it notes that text as
// one line of UpdateProbeV1.log beside itself and, when next\<program file name> is
// waiting there, moves it to New_<program file name>, as the real checker leaves a
// downloaded copy. It offers the next copy once, so the program it then starts is let
// through.
#include <windows.h>

#include <string>

namespace {

std::wstring OwnFolder() {
    wchar_t buffer[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    std::wstring path(buffer, n);
    return path.substr(0, path.find_last_of(L"\\/"));
}

void AppendLine(const std::wstring& file, const std::wstring& line) {
    const std::wstring text = line + L"\r\n";
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8.data(), size, nullptr, nullptr);
    HANDLE h = CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(h, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    CloseHandle(h);
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    const std::wstring parameters = commandLine ? commandLine : L"";
    const std::wstring folder = OwnFolder();
    AppendLine(folder + L"\\UpdateProbeV1.log", parameters);

    const std::size_t separator = parameters.find(L';');
    if (separator == std::wstring::npos)
        return 2;
    const std::wstring program = parameters.substr(separator + 1);
    const std::wstring next = folder + L"\\next\\" + program;
    if (GetFileAttributesW(next.c_str()) != INVALID_FILE_ATTRIBUTES)
        MoveFileExW(next.c_str(), (folder + L"\\New_" + program).c_str(), MOVEFILE_REPLACE_EXISTING);
    return 0;
}
