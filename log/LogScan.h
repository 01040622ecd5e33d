#pragma once
// The CSV scan log: one row per decoded card, appended to "<Log Name> <YYYY> <Mon> #<Log Number>.csv" in
// the log folder; the header line only when this write created the file.

#include <string>

namespace MagneticStripeCards {
class Card;
}

// Asks for comments (the Comments dialog) when `comments` is set, then appends the card's row.
void LogScan(const MagneticStripeCards::Card& card, bool comments);
