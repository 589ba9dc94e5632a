#include "common/clock.hpp"

#include <ctime>
#include <thread>

namespace qv {

Clock::TimePoint SystemClock::now() const {
    return std::chrono::time_point_cast<Duration>(std::chrono::steady_clock::now());
}

void SystemClock::sleepFor(Duration d) {
    if (d > Duration::zero()) std::this_thread::sleep_for(d);
}

LocalDateTime SystemClock::localTime() const {
    const auto now = std::chrono::system_clock::now();
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm tm{};
#ifdef _WIN32
    localtime_s(&tm, &t);
#else
    localtime_r(&t, &tm);
#endif
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()) % 1000;
    return {
        tm.tm_year + 1900,           tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec,
        static_cast<int>(ms.count())};
}

VirtualClock::VirtualClock(LocalDateTime start) : start_(start) {}

Clock::TimePoint VirtualClock::now() const {
    std::lock_guard lock(mutex_);
    return now_;
}

void VirtualClock::sleepFor(Duration d) {
    advance(d);
}

void VirtualClock::advance(Duration d) {
    std::lock_guard lock(mutex_);
    if (d > Duration::zero()) now_ += d;
}

void VirtualClock::advanceTo(TimePoint t) {
    std::lock_guard lock(mutex_);
    if (t > now_) now_ = t;
}

LocalDateTime VirtualClock::localTime() const {
    std::lock_guard lock(mutex_);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now_.time_since_epoch());
    const long long totalMs = ms.count() + start_.millisecond;
    LocalDateTime t = addSeconds(start_, totalMs / 1000);
    t.millisecond = static_cast<int>(totalMs % 1000);
    return t;
}

namespace {
// Days from 1970-01-01 for a civil date (proleptic Gregorian).
long long daysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void civilFromDays(long long z, int& y, int& m, int& d) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(static_cast<long long>(yoe) + era * 400 + (m <= 2));
}
} // namespace

LocalDateTime addSeconds(const LocalDateTime& t, long long seconds) {
    long long total =
        daysFromCivil(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day)) *
            86400 +
        t.hour * 3600LL + t.minute * 60LL + t.second + seconds;
    long long days = total / 86400;
    long long rem = total % 86400;
    if (rem < 0) {
        rem += 86400;
        --days;
    }
    LocalDateTime out = t;
    civilFromDays(days, out.year, out.month, out.day);
    out.hour = static_cast<int>(rem / 3600);
    out.minute = static_cast<int>(rem / 60 % 60);
    out.second = static_cast<int>(rem % 60);
    return out;
}

} // namespace qv
