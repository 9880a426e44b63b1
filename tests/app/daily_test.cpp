// The daily challenge's calendar: the date of a time, a day's seed and its end, on a table of
// dates that a slip in the calendar or the hash would get wrong.
#include <gtest/gtest.h>

#include "app/daily.h"

TEST(daily, each_day_has_its_seed_and_ends_at_the_next_days_first_second) {
    // seeds and ends computed apart from the game (FNV-1a and the system's calendar)
    struct {
        const char* date;
        int seed;
        long long end;
        const char* next;
    } days[] = {
        {"2000-01-01", 481839463, 946771200, "2000-01-02"},     // the first day
        {"2024-02-29", 1859561356, 1709251200, "2024-03-01"},   // a leap day
        {"2026-12-10", 1109467141, 1796947200, "2026-12-11"},
        {"2026-12-31", 1294366724, 1798761600, "2027-01-01"},   // a year's end
        {"2027-01-01", 1431789288, 1798848000, "2027-01-02"},
        {"2099-12-31", 1792066882, 4102444800, "2100-01-01"},   // the last day
    };
    for (const auto& d : days) {
        EXPECT_TRUE(dailydatevalid(d.date)) << d.date;
        EXPECT_EQ(dailyseed(d.date), d.seed) << d.date;
        EXPECT_EQ(dailyend(d.date), d.end) << d.date;
        EXPECT_EQ(dailydate(d.end - 86400), d.date);   // its first second
        EXPECT_EQ(dailydate(d.end - 1), d.date);       // its last second
        EXPECT_EQ(dailydate(d.end), d.next);
    }
    EXPECT_EQ(dailydate(0), "1970-01-01");
    EXPECT_EQ(dailydate(-1), "1969-12-31");
}

TEST(daily, a_text_that_is_no_day_of_the_century_has_no_seed) {
    for (const char* bad : {"2023-02-29", "2100-02-29", "2026-04-31", "2026-13-01", "2026-12-00", "1999-12-31",
                            "2100-01-01", "2026-1-10", "2026/12/10", "2026-12-10 ", "20261210", "", "2026-12-1x"}) {
        EXPECT_FALSE(dailydatevalid(bad)) << bad;
        EXPECT_EQ(dailyseed(bad), 0) << bad;
        EXPECT_EQ(dailyend(bad), 0) << bad;
    }
    EXPECT_TRUE(dailydatevalid("2000-02-29"));   // a 400th year is a leap year
}
