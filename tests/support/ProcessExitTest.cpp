#include "support/ProcessExit.h"

#include <gtest/gtest.h>

#include <vector>

namespace worktide {
namespace {

TEST(ProcessExitTest, ScopedExitHandlerNestsAndPutsBackTheOuterOne) {
    std::vector<int> outerCodes;
    std::vector<int> innerCodes;
    ScopedExitHandler outer([&](int code) { outerCodes.push_back(code); });
    {
        ScopedExitHandler inner([&](int code) { innerCodes.push_back(code); });
        EndProcess(3);
    }
    EndProcess(4);
    EXPECT_EQ(innerCodes, std::vector<int>{3});
    EXPECT_EQ(outerCodes, std::vector<int>{4});
}

} // namespace
} // namespace worktide
