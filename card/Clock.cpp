#include "Clock.h"

namespace MagneticStripeCards {

std::tm SystemClock::LocalNow() const {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

const SystemClock& SystemClock::Instance() {
    static const SystemClock clock;
    return clock;
}

FixedClock::FixedClock(std::tm local) : m_now(local) {
    m_now.tm_isdst = -1;
    const std::time_t t = std::mktime(&m_now);
    if (t != static_cast<std::time_t>(-1))
        localtime_r(&t, &m_now);
}

FixedClock::FixedClock(int year, int month, int day, int hour, int minute, int second)
    : FixedClock([&] {
          std::tm t{};
          t.tm_year = year - 1900;
          t.tm_mon = month - 1;
          t.tm_mday = day;
          t.tm_hour = hour;
          t.tm_min = minute;
          t.tm_sec = second;
          return t;
      }()) {}

} // namespace MagneticStripeCards
