#pragma once
// The station's scan log: one ScanLogger for the whole run, with the station's prompts (the Comments
// dialog and the "Couldn't open logfile" box). The station makes it once, right after raising
// "Log Number", with the number it got:
//
//   start: IncrementLogNumber, GetLogNumberText --> StationLog(run)
//   card:  LogScan(card, comments) --> [Comments dialog] --> ScanLogger --> this run's log file or the spool

#include "DialogLogPrompts.h"
#include "LogFileWriter.h"
#include "ScanLogger.h"

#include <string>

namespace MagneticStripeCards {
class Card;
}

class StationLog {
public:
    explicit StationLog(std::string runNumber);

    // Asks for comments (the Comments dialog) when `comments` is set, then appends the card's row.
    LogFileWriter::Result LogScan(const MagneticStripeCards::Card& card, bool comments);

    // For the row-first order (WriteRow, then AddComments when the Comments dialog has closed).
    ScanLogger& Logger() { return m_logger; }
    DialogLogPrompts& Prompts() { return m_prompts; }

private:
    DialogLogPrompts m_prompts;
    ScanLogger m_logger;
};
