#pragma once
// Nights of scan events for the reports' tests, made from a fixed random seed: which doors, how many
// scans, which hours, whether holders are kept by HMAC. Each night also carries rows that must stay out of
// its report (another venue, the night before and after) so the filters are tried with every case.

#include "ReportPeriod.h"
#include "VenueRows.h"

#include <cstdio>
#include <ctime>
#include <random>
#include <string>
#include <vector>

struct NightPlan {
    std::string name;
    std::vector<std::string> doors;
    int scans = 0;
    int firstHour = 0; // hours after the night's start (06:00) where the scans begin
    int hours = 0;     // how many hours they spread over
    bool keepHmac = true;
    int manualIn = 0;
    int manualOut = 0;
};

struct SeededNight {
    std::string venue = "harbour";
    Reports::ReportPeriod period;
    Reports::NightRows rows;  // the venue's rows in the period
    Reports::NightRows noise; // rows no report of this venue and period may count
};

// 06:00 local time on 8 December 2026.
inline std::int64_t SeedMorning() {
    std::tm local{};
    local.tm_year = 2026 - 1900;
    local.tm_mon = 11;
    local.tm_mday = 8;
    local.tm_hour = 6;
    local.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&local)) * Reports::kMicrosPerSecond;
}

inline std::string SeedId(std::mt19937_64& random) {
    char text[40];
    std::snprintf(text, sizeof text, "%08llx-%04llx-4%03llx-a%03llx-%012llx",
                  static_cast<unsigned long long>(random() & 0xffffffffULL),
                  static_cast<unsigned long long>(random() & 0xffffULL),
                  static_cast<unsigned long long>(random() & 0xfffULL),
                  static_cast<unsigned long long>(random() & 0xfffULL),
                  static_cast<unsigned long long>(random() & 0xffffffffffffULL));
    return text;
}

inline SeededNight MakeNight(const NightPlan& plan) {
    using namespace Reports;
    static const std::vector<std::string> kVerdicts = {"ok",      "ok",      "ok",     "ok",      "ok", "under-age",
                                                       "expired", "unknown", "banned", "flagged", "vip"};
    static const std::vector<std::string> kSexes = {"1", "2", "9", "M", "F", ""};
    static const std::vector<std::string> kHints = {"", "", "", "", "font", "checksum,font", "dates,dates"};

    std::mt19937_64 random(std::hash<std::string>{}(plan.name));
    SeededNight night;
    const std::int64_t morning = SeedMorning();
    night.period = {morning, morning + 24 * kMicrosPerHour};

    std::vector<std::string> holders(40);
    for (std::string& holder : holders)
        for (int i = 0; i < 32; ++i)
            holder += static_cast<char>(random() & 0xff);

    const std::int64_t start = morning + plan.firstHour * kMicrosPerHour;
    const std::int64_t span = plan.hours * kMicrosPerHour;
    for (int i = 0; i < plan.scans; ++i) {
        ScanRow scan;
        scan.id = SeedId(random);
        scan.station = plan.doors[random() % plan.doors.size()];
        scan.scannedAt = start + static_cast<std::int64_t>(random() % static_cast<std::uint64_t>(span));
        scan.verdict = kVerdicts[random() % kVerdicts.size()];
        if (scan.verdict != "unknown") {
            scan.age = 15 + static_cast<int>(random() % 56);
            scan.sexCode = kSexes[random() % kSexes.size()];
            scan.state = "NY";
            scan.format = "barcode";
            if (plan.keepHmac)
                scan.idHmac = holders[random() % holders.size()];
        } else {
            scan.format = "unknown";
        }
        scan.warnings = kHints[random() % kHints.size()];
        night.rows.scans.push_back(scan);
    }
    for (int i = 0; i < plan.manualIn + plan.manualOut; ++i) {
        const std::int64_t at = start + static_cast<std::int64_t>(random() % static_cast<std::uint64_t>(span));
        night.rows.doorCounts.push_back({SeedId(random), plan.doors.front(), at, i < plan.manualIn ? 1 : -1});
    }

    // Another venue inside the period, and this venue's neighbours just outside it.
    ScanRow other{
        SeedId(random),      plan.doors.front(), morning + 15 * kMicrosPerHour, "ok", 30, "1", "NY", "barcode", "", "",
        std::string(32, 'x')};
    night.noise.scans.push_back(other);
    other.id = SeedId(random);
    other.scannedAt = morning - 1;
    night.noise.scans.push_back(other);
    other.id = SeedId(random);
    other.scannedAt = night.period.to;
    night.noise.scans.push_back(other);
    night.noise.doorCounts.push_back({SeedId(random), plan.doors.front(), morning - 1, 1});
    night.noise.doorCounts.push_back({SeedId(random), plan.doors.front(), night.period.to, 1});
    return night;
}
