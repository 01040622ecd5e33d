#pragma once
// The hive's venue values with their defaults in place, read once where a command or the station starts:
// "Venue Database" (empty: the embedded store), "Venue" (absent: "default"), "Station Name" (absent: the
// host name), "Venue Key File" (absent: venue.key next to the hive), "Repeat Minutes" (absent or 0: off),
// "Day Starts At" (the hour the night's inside count starts again; absent: 6).
// Passwords never come from here: the hive is group-readable, so libpq's password file or client
// certificates carry them.

#include <string>

namespace Venue {

struct VenueConfig {
    std::string database;
    std::string venue;
    std::string station;
    std::string keyFile;
    int repeatMinutes = 0;
    int dayStartHour = 6;

    static VenueConfig FromSettings();
    // The folder of the settings hive, with its trailing slash ("" for a hive in the current folder).
    static std::string HiveFolder();
};

} // namespace Venue
