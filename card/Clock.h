#pragma once
// Where the decoder and the log writer get "now" from: local broken-down time. Tests and kestrin-decode
// --now use a fixed clock; the station uses the system clock.

#include <ctime>

namespace MagneticStripeCards {

class Clock {
public:
    virtual ~Clock() = default;
    virtual std::tm LocalNow() const = 0;
};

class SystemClock final : public Clock {
public:
    std::tm LocalNow() const override;
    static const SystemClock& Instance();
};

class FixedClock final : public Clock {
public:
    // `local` is normalised with mktime, so weekday, day of year and daylight flag are filled in.
    explicit FixedClock(std::tm local);
    // year (e.g. 2007), month 1-12, day, and the time of day, in local time.
    FixedClock(int year, int month, int day, int hour = 12, int minute = 0, int second = 0);
    std::tm LocalNow() const override { return m_now; }

private:
    std::tm m_now{};
};

} // namespace MagneticStripeCards
