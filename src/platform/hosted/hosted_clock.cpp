#include "platform/hosted/hosted_clock.h"

#include <cstdio>
#include <ctime>

namespace comp_mgr {
namespace {

bool Digits(const std::string& s, std::size_t at, std::size_t count, int* value) {
    if (at + count > s.size()) return false;
    int v = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (s[i] < '0' || s[i] > '9') return false;
        v = v * 10 + (s[i] - '0');
    }
    *value = v;
    return true;
}

}  // namespace

bool HostedClock::Parse(const std::string& text, std::tm* result) {
    int year, month, day, hour, minute, second;
    if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':' ||
        text[16] != ':' || !Digits(text, 0, 4, &year) || !Digits(text, 5, 2, &month) || !Digits(text, 8, 2, &day) ||
        !Digits(text, 11, 2, &hour) || !Digits(text, 14, 2, &minute) || !Digits(text, 17, 2, &second)) {
        return false;
    }
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 59) return false;
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = -1;
    std::tm probe = t;
    if (std::mktime(&probe) == static_cast<std::time_t>(-1)) return false;
    // mktime fills in the weekday; a date like 02-31 that it moves is refused.
    if (probe.tm_mday != day || probe.tm_mon != month - 1) return false;
    // The wall-clock time asked for stays, even in a gap of a DST change.
    probe.tm_hour = hour;
    probe.tm_min = minute;
    probe.tm_sec = second;
    *result = probe;
    return true;
}

HostedClock::HostedClock(const std::string& fixed) {
    if (fixed.empty()) return;
    fixed_ = Parse(fixed, &now_);
    valid_ = fixed_;
}

std::tm HostedClock::Now() {
    if (fixed_) return now_;
    std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    return local;
}

}  // namespace comp_mgr
