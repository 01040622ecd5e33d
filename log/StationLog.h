#pragma once
// The station's scan log: one ScanLogger for the whole run, with the station's prompt (the "Couldn't open
// logfile" box). The station makes it once, right after raising
// "Log Number", with the number it got:
//
//   start: IncrementLogNumber, GetLogNumberText --> StationLog(run)
//   card:  LogScan(card, commentsFollow) --> ScanLogger --> this run's log file or the spool
//          --> verdict painted --> [Comments dialog closes] --> AddComments(suffix) --> the same row

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

    // Appends the card's row now, with two empty comment fields when `commentsFollow` is set.
    LogFileWriter::Result LogScan(const MagneticStripeCards::Card& card, bool commentsFollow);
    // Puts the Comments dialog's suffix into the row LogScan wrote last (ScanLogger::AddComments).
    LogFileWriter::Result AddComments(const std::string& suffix);

    const DialogLogPrompts& Prompts() const { return m_prompts; }

private:
    DialogLogPrompts m_prompts;
    ScanLogger m_logger;
};
