#include "VenueConfig.h"

#include "Settings.h"

#include <algorithm>
#include <unistd.h>

namespace Venue {
namespace {

std::string HostName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0')
        return "station";
    return name;
}

std::string Or(std::string value, std::string fallback) {
    return value.empty() ? std::move(fallback) : std::move(value);
}

} // namespace

VenueConfig VenueConfig::FromSettings() {
    VenueConfig config;
    config.database = Settings::GetVenueDatabase();
    config.venue = Or(Settings::GetVenue(), "default");
    config.station = Or(Settings::GetStationName(), HostName());
    config.keyFile = Or(Settings::GetVenueKeyFile(), HiveFolder() + "venue.key");
    config.repeatMinutes = std::max(0, Settings::GetRepeatMinutes());
    config.dayStartHour = std::clamp(static_cast<int>(Settings::GetDayStartsAt()), 0, 23);
    return config;
}

std::string VenueConfig::HiveFolder() {
    const std::string hive = Settings::HivePath();
    const auto slash = hive.rfind('/');
    return slash == std::string::npos ? std::string() : hive.substr(0, slash + 1);
}

} // namespace Venue
