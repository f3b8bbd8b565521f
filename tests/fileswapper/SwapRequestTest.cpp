#include "fileswapper/SwapRequest.h"

#include <gtest/gtest.h>

namespace worktide {
namespace {

TEST(SwapRequest, TakesTheLaunchersParameterText) {
    const SwapRequest r = ParseSwapRequest(L"업무일정.exe;New_업무일정.exe");
    ASSERT_TRUE(r.valid);
    EXPECT_EQ(r.program, L"업무일정.exe");
    EXPECT_EQ(r.newCopy, L"New_업무일정.exe");

    // Blanks and quotes a shell may add around the whole text or either name.
    const SwapRequest quoted = ParseSwapRequest(L"  \"worktide.exe\" ; \"New_worktide.exe\"  ");
    ASSERT_TRUE(quoted.valid);
    EXPECT_EQ(quoted.program, L"worktide.exe");
    EXPECT_EQ(quoted.newCopy, L"New_worktide.exe");
    EXPECT_TRUE(ParseSwapRequest(L"\"worktide.exe;New_worktide.exe\"").valid);
}

TEST(SwapRequest, RefusesWhatCouldReachOutsideTheFolderOrDestroyTheProgram) {
    for (const wchar_t* text : {
             L"",
             L"worktide.exe",      // no new copy named
             L"worktide.exe;",     // empty new copy
             L";New_worktide.exe", // empty program
             L"a.exe;b.exe;c.exe", // more than one swap
             L"..\\..\\Windows\\explorer.exe;New_worktide.exe",
             L"worktide.exe;C:\\Users\\x\\evil.exe",
             L"worktide.exe;../New_worktide.exe",
             L"worktide.exe;..",
             L"worktide.exe;WORKTIDE.EXE",       // the same file: the swap would only delete it
             L"worktide.exe;New_\tworktide.exe", // a control character
             L"worktide.exe;New_*.exe",
         }) {
        EXPECT_FALSE(ParseSwapRequest(text).valid) << "accepted: " << std::wstring(text).size() << " units";
    }
}

} // namespace
} // namespace worktide
