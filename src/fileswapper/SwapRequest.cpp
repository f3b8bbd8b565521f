#include "fileswapper/SwapRequest.h"

namespace worktide {
namespace {

std::wstring_view Trimmed(std::wstring_view text) {
    while (!text.empty() && (text.front() == L' ' || text.front() == L'\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == L' ' || text.back() == L'\t'))
        text.remove_suffix(1);
    // One pair around the whole: "a" ; "b" keeps its quotes for the names.
    if (text.size() >= 2 && text.front() == L'"' && text.back() == L'"' &&
        text.substr(1, text.size() - 2).find(L'"') == std::wstring_view::npos)
        text = text.substr(1, text.size() - 2);
    return text;
}

// A name in the folder itself: no folder part, no drive, no "." or "..", nothing the
// file system refuses in a name.
bool PlainFileName(std::wstring_view name) {
    if (name.empty() || name == L"." || name == L"..")
        return false;
    for (const wchar_t c : name) {
        if (c < 0x20 || std::wstring_view(L"\\/:*?\"<>|").find(c) != std::wstring_view::npos)
            return false;
    }
    return true;
}

bool EqualIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

} // namespace

SwapRequest ParseSwapRequest(std::wstring_view parameters) {
    const std::wstring_view text = Trimmed(parameters);
    const std::size_t separator = text.find(L';');
    if (separator == std::wstring_view::npos || text.find(L';', separator + 1) != std::wstring_view::npos)
        return {};
    const std::wstring_view program = Trimmed(text.substr(0, separator));
    const std::wstring_view newCopy = Trimmed(text.substr(separator + 1));
    // Swapping a file with itself would only delete it.
    if (!PlainFileName(program) || !PlainFileName(newCopy) || EqualIgnoringAsciiCase(program, newCopy))
        return {};
    return {true, std::wstring(program), std::wstring(newCopy)};
}

} // namespace worktide
