#pragma once
// Retention of the files the station writes into the log folder. Several laws (some US states among them)
// limit how long data read from a licence may be kept; "Keep Days" tells how many days a venue keeps it:
//
//   folder, days, clock --> log files whose last row was scanned more than `days` days ago, and
//                           unknown-swipe files last written more than `days` days ago --> deleted
//
// Only files named as the station names them are touched: "<Log Name> <YYYY> <Mon> #<n>.csv" (whatever the
// Log Name was when they were written), "unknowndl.txt" and its previous generation "unknowndl.txt.1".
// A symbolic link is never followed or removed. A log file whose last line holds no readable scan time
// (only the header, or something else) counts by its last change instead.

#include "Clock.h"

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace LogRetention {

// Deletes what has expired in `folder` and returns the names it deleted. `keepDays` 0 or less keeps all.
std::vector<std::string> DeleteExpired(const std::string& folder, std::int64_t keepDays,
                                       const MagneticStripeCards::Clock& clock);

// The station's sweep: "Keep Days" over the resolved log folder, now. Says on standard error what it
// deleted. Never throws.
void Sweep() noexcept;

// "<anything> <YYYY> <Mon> #<digits>.csv"
bool IsLogFileName(const std::string& name);

// The scan time of a log row, from its first field ("Thu Jun 02 14:33:34 2005" in quotes); false when the
// row does not start with one.
bool RowTime(const std::string& row, std::time_t& when);

} // namespace LogRetention
