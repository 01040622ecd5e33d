#pragma once
// The CSV scan log: one row per decoded card, appended to "<Log Name> <YYYY> <Mon> #<Log Number>.csv" in
// the log folder; the header line only when this write created the file.

#include <string>

namespace MagneticStripeCards {
class Card;
}

// Asks for comments (the Comments dialog) when `comments` is set, then appends the card's row.
void LogScan(const MagneticStripeCards::Card& card, bool comments);

// Appends one row (without line end) to the current log file. Failures are shown to the user
// ("Couldn't open logfile") and the row is dropped; nothing is thrown.
void WriteLogRow(const std::string& row);
