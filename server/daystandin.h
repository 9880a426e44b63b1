// Temporary: the day's functions until app/daily.h is on main (then this file goes).
#pragma once
#include <cstdio>
#include <ctime>
#include <string>
inline std::string dailydate(long long t) {
    std::time_t s = static_cast<std::time_t>(t);
    std::tm tm{};
    gmtime_r(&s, &tm);
    char buf[16];
    std::strftime(buf, sizeof buf, "%Y-%m-%d", &tm);
    return buf;
}
inline bool dailydatevalid(const std::string& d) {
    int y, m, day;
    char c;
    if (d.size() != 10 || d[4] != '-' || d[7] != '-' || std::sscanf(d.c_str(), "%4d-%2d-%2d%c", &y, &m, &day, &c) != 3) return false;
    for (int i : {0, 1, 2, 3, 5, 6, 8, 9}) if (d[i] < '0' || d[i] > '9') return false;
    if (y < 2000 || y > 2099 || m < 1 || m > 12 || day < 1) return false;
    int len[] = {31, (y % 4 == 0) ? 29 : 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return day <= len[m - 1];
}
inline long long dailyend(const std::string& d) {
    std::tm tm{};
    tm.tm_year = std::stoi(d.substr(0, 4)) - 1900;
    tm.tm_mon = std::stoi(d.substr(5, 2)) - 1;
    tm.tm_mday = std::stoi(d.substr(8, 2)) + 1;
    return timegm(&tm);
}
#include "app/replayfile.h"
inline std::string replayday(const treplay&) { return ""; }
