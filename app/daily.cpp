// app/daily.cpp — dates in the proleptic Gregorian calendar, counted in days from 1970-01-01.
#include "app/daily.h"

#include <cstdint>
#include <cstdio>

namespace {

// Days from 1970-01-01 to the date (negative before it).
long long daysfromcivil(int y, int m, int d) {
    y -= m <= 2;
    long long era = (y >= 0 ? y : y - 399) / 400;
    long long yoe = y - era * 400;
    long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

bool parse(const std::string& s, int& y, int& m, int& d) {
    if (s.size() != 10 || s[4] != '-' || s[7] != '-') return false;
    for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (s[i] < '0' || s[i] > '9') return false;
    y = (s[0] - '0') * 1000 + (s[1] - '0') * 100 + (s[2] - '0') * 10 + (s[3] - '0');
    m = (s[5] - '0') * 10 + (s[6] - '0');
    d = (s[8] - '0') * 10 + (s[9] - '0');
    if (y < 2000 || y > 2099 || m < 1 || m > 12 || d < 1) return false;
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return d <= days[m - 1] + (m == 2 && leap);
}

}   // namespace

std::string dailydate(long long unixseconds) {
    long long z = (unixseconds >= 0 ? unixseconds : unixseconds - 86399) / 86400 + 719468;
    long long era = (z >= 0 ? z : z - 146096) / 146097;
    long long doe = z - era * 146097;
    long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    long long mp = (5 * doy + 2) / 153;
    long long d = doy - (153 * mp + 2) / 5 + 1;
    long long m = mp < 10 ? mp + 3 : mp - 9;
    long long y = yoe + era * 400 + (m <= 2);
    char buf[80];
    std::snprintf(buf, sizeof buf, "%04lld-%02lld-%02lld", y, m, d);
    return buf;
}

int dailyseed(const std::string& date) {
    if (!dailydatevalid(date)) return 0;
    uint32_t h = 2166136261u;
    for (unsigned char c : date) {
        h ^= c;
        h *= 16777619u;
    }
    h &= 0x7fffffffu;
    return h == 0 ? 1 : static_cast<int>(h);
}

bool dailydatevalid(const std::string& date) {
    int y, m, d;
    return parse(date, y, m, d);
}

long long dailyend(const std::string& date) {
    int y, m, d;
    if (!parse(date, y, m, d)) return 0;
    return (daysfromcivil(y, m, d) + 1) * 86400;
}
