#include "support/Clock.h"

#include <gtest/gtest.h>

namespace worktide {
namespace {

TEST(ClockTest, ScopedTodayNestsAndGoesBackToTheSystemClock) {
    {
        ScopedToday outer(QDate(2009, 1, 14));
        {
            ScopedToday inner(QDate(2010, 2, 1));
            EXPECT_EQ(Today(), QDate(2010, 2, 1));
            EXPECT_EQ(Now().date(), QDate(2010, 2, 1));
        }
        EXPECT_EQ(Today(), QDate(2009, 1, 14));
    }
    EXPECT_EQ(Today(), QDate::currentDate());
}

} // namespace
} // namespace worktide
