#include "VenueTime.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <chrono>
#include <ctime>

namespace Venue {
namespace {

constexpr Micros kMicrosPerMilli = 1000;

QDateTime FromMicros(Micros at) {
    const Micros millis = at >= 0 ? at / kMicrosPerMilli : -((-at + kMicrosPerMilli - 1) / kMicrosPerMilli);
    return QDateTime::fromMSecsSinceEpoch(millis, Qt::UTC);
}

Micros ToMicros(const QDateTime& at) {
    return static_cast<Micros>(at.toMSecsSinceEpoch()) * kMicrosPerMilli;
}

} // namespace

Micros NowMicros() {
    using namespace std::chrono;
    return duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
}

std::string IsoText(Micros at) {
    const Micros micros = ((at % 1'000'000) + 1'000'000) % 1'000'000;
    const QDateTime utc = FromMicros(at - micros);
    return utc.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toStdString() + "." +
           QString::number(micros).rightJustified(6, QLatin1Char('0')).toStdString() + "Z";
}

std::optional<Micros> ParseIsoTime(const std::string& text) {
    const QString qtext = QString::fromStdString(text);
    if (text.size() == 10) {
        const QDate date = QDate::fromString(qtext, Qt::ISODate);
        if (!date.isValid())
            return std::nullopt;
        return ToMicros(date.startOfDay());
    }
    const QDateTime at = QDateTime::fromString(qtext, Qt::ISODateWithMs);
    if (!at.isValid())
        return std::nullopt;
    return ToMicros(at);
}

std::optional<Micros> EndOfLocalDay(const std::string& isoDate) {
    const QDate date = QDate::fromString(QString::fromStdString(isoDate), Qt::ISODate);
    if (isoDate.size() != 10 || !date.isValid())
        return std::nullopt;
    return ToMicros(date.addDays(1).startOfDay());
}

std::string LocalDate(Micros at) {
    return FromMicros(at).toLocalTime().date().toString(Qt::ISODate).toStdString();
}

Micros NightStart(Micros at, int dayStartHour) {
    const std::time_t seconds = static_cast<std::time_t>(at / 1000000);
    std::tm local{};
    ::localtime_r(&seconds, &local);
    if (local.tm_hour < dayStartHour)
        --local.tm_mday; // mktime carries a day 0 back into the month before
    local.tm_hour = dayStartHour;
    local.tm_min = 0;
    local.tm_sec = 0;
    local.tm_isdst = -1; // the zone's clock-change rules decide
    return static_cast<Micros>(std::mktime(&local)) * 1000000;
}

} // namespace Venue
