#pragma once
// Logged cards: the card's row and its comments, appended to this run's log file.
//
// The row goes to disk at once (with two empty comment fields when
// comments will follow), so it is kept before the verdict shows, and the operator's comments are put into
// that same row when the Comments dialog closes; if the station dies meanwhile the row stays, with empty
// comments. A row the log folder cannot take waits in the spool (Result::Kept) and takes its comments
// there.

#include "ILogPrompts.h"
#include "LogFileWriter.h"

#include <optional>
#include <string>

namespace MagneticStripeCards {
class Card;
}

class ScanLogger {
public:
    // `runNumber`: the "Log Number" of this run, taken once at the station's start.
    ScanLogger(const MagneticStripeCards::Clock& clock, ILogPrompts& prompts, std::string runNumber);

    // The card's row as this venue logs it: the fields its privacy profile keeps (PrivacyProfile).
    static std::string CardRow(const MagneticStripeCards::Card& card);

    // Appends `row`, followed by two empty comment fields when `commentsPending` is set.
    LogFileWriter::Result WriteRow(const std::string& row, bool commentsPending);
    // Replaces the empty comment fields of the row WriteRow wrote last by `suffix` (two quoted fields, each
    // led by a comma). Fails when there is no such row, or it is no longer the last line of its file.
    LogFileWriter::Result AddComments(const std::string& suffix);

    // The two empty comment fields of a row whose comments are still to come.
    static const std::string kNoComments;

private:
    ILogPrompts& m_prompts;
    LogFileWriter m_writer;
    std::string m_pendingRow; // the row WriteRow wrote last, without comment fields
    std::optional<LogFileWriter::WrittenRow> m_pending;
    LogFileWriter::Result m_pendingResult = LogFileWriter::Result::Written;
    bool m_discarded = false; // the last row was not kept, by the privacy profile
};
