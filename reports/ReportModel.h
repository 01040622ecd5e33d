#pragma once
// The figures of one report: what ReportBuilder makes from a period's rows, and what the window's charts
// and tables, the PDF, the CSV and the JSON all show. Plain data, no Qt.

#include "ReportPeriod.h"

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Reports {

// The verdicts in the order every chart and table shows them.
enum class Verdict { Ok, UnderAge, Expired, Unknown, Banned, Flagged, Vip };
constexpr std::size_t kVerdicts = 7;
extern const std::array<const char*, kVerdicts> kVerdictNames; // "ok", "under-age", ... as stored
using VerdictCounts = std::array<int, kVerdicts>;

// Admitted holders' age bands: 18-20, 21-24, 25-34, 35-49, 50+.
constexpr std::size_t kAgeBands = 5;
extern const std::array<const char*, kAgeBands> kAgeBandNames;

// Sex as the card gives it: male ('1', 'M'), female ('2', 'F'), anything else (not given, '9', 'X', ...).
constexpr std::size_t kSexes = 3;
extern const std::array<const char*, kSexes> kSexNames;

// Causes of a refusal, in the order shown: the verdicts that turn a holder away.
constexpr std::array<Verdict, 3> kRefusalCauses = {Verdict::UnderAge, Verdict::Expired, Verdict::Banned};

enum class Binning { Hour, Day };

struct TimeBin {
    std::int64_t start = 0;
    std::int64_t end = 0;
    VerdictCounts byVerdict{};
    int insideAtEnd = 0; // the inside count when the bin ends
    int insidePeak = 0;  // the highest inside count within the bin
    int Total() const;
};

struct DoorFigures {
    int scans = 0;
    int refusals = 0;
    int unknowns = 0;
};

struct InsidePoint {
    std::int64_t at = 0;
    int inside = 0;
};

struct ReportModel {
    std::string venue;
    ReportPeriod period;
    Binning binning = Binning::Hour;

    int total = 0;
    VerdictCounts byVerdict{};
    int otherVerdicts = 0; // rows whose verdict is none of the seven (counted in total only)
    std::vector<TimeBin> bins;
    std::map<std::string, DoorFigures> byStation;

    std::array<int, kAgeBands> ageBands{};
    int admittedAgeUnknown = 0; // admitted with no age, or younger than the first band
    std::array<int, kSexes> sexes{};
    std::map<std::string, int> hints; // fake-ID hint code -> scans that carried it

    int repeatScans = 0;      // scans of a holder already scanned in the period (by HMAC)
    int distinctHolders = 0;  // different HMACs
    int scansWithoutHmac = 0; // scans that cannot be told apart (no HMAC kept, or no licence read)

    std::vector<InsidePoint> inside; // the count after each change, from 0 at the period's start
    int insidePeak = 0;
    int manualIn = 0;
    int manualOut = 0;

    int Admitted() const;
    int Refusals() const;
    int InsideAtEnd() const;
};

bool IsAdmitted(Verdict verdict);
bool IsRefusal(Verdict verdict);

} // namespace Reports
