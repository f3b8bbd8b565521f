#pragma once

#include <string>
#include <string_view>

// What the update launcher asks of the file swapper: the parameter text
// "<program file name>;New_<program file name>". Both are plain file names in the
// swapper's own folder; anything that could reach outside it is refused.
namespace worktide {

struct SwapRequest {
    bool valid = false;
    std::wstring program; // e.g. 업무일정.exe
    std::wstring newCopy; // e.g. New_업무일정.exe
};

// Reads the parameter text (surrounding blanks and one pair of quotes around the whole
// text or around either name are allowed, as shells add them).
SwapRequest ParseSwapRequest(std::wstring_view parameters);

} // namespace worktide
