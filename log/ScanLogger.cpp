#include "ScanLogger.h"

#include "Card.h"
#include "CardFields.h"
#include "PrivacyProfile.h"
#include "Settings.h"

ScanLogger::ScanLogger(const MagneticStripeCards::Clock& clock, ILogPrompts& prompts, std::string runNumber)
    : m_prompts(prompts), m_writer(clock, prompts, std::move(runNumber)) {}

const std::string ScanLogger::kNoComments = ",\"\",\"\"";

std::string ScanLogger::CardRow(const MagneticStripeCards::Card& card) {
    // Read at every row: a venue that turns personal data off is obeyed from the next card on.
    const PrivacyProfile profile = PrivacyProfile::FromSettings();
    return card.LogRow(
        [&profile](const MagneticStripeCards::CardField& field) { return profile.KeepsLogField(field); });
}

LogFileWriter::Result ScanLogger::WriteRow(const std::string& row, bool commentsPending) {
    m_pending.reset();
    m_discarded = false;
    if (!PrivacyProfile::FromSettings().WritesLogRows()) {
        m_discarded = true; // nothing to keep is nothing lost: the row and its comments are done with
        return LogFileWriter::Result::Written;
    }
    if (!commentsPending)
        return m_writer.Write(row);
    LogFileWriter::WrittenRow where;
    const LogFileWriter::Result result = m_writer.Write(row + kNoComments, &where);
    // Written or waiting in the spool (also in memory only), the row can still take its comments.
    if (result == LogFileWriter::Result::Written || !where.keptAs.empty()) {
        m_pendingRow = row;
        m_pending = std::move(where);
        m_pendingResult = result;
    }
    return result;
}

LogFileWriter::Result ScanLogger::AddComments(const std::string& suffix) {
    if (m_discarded)
        return LogFileWriter::Result::Written;
    if (!m_pending)
        return LogFileWriter::Result::WriteFailed;
    if (suffix == kNoComments) {
        m_pending.reset();
        return m_pendingResult;
    }
    const LogFileWriter::Result result = m_writer.Replace(*m_pending, m_pendingRow + suffix);
    m_pending.reset();
    return result;
}
