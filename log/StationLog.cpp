#include "StationLog.h"

#include "Card.h"
#include "Clock.h"

StationLog::StationLog(std::string runNumber)
    : m_logger(MagneticStripeCards::SystemClock::Instance(), m_prompts, std::move(runNumber)) {}

LogFileWriter::Result StationLog::LogScan(const MagneticStripeCards::Card& card, bool commentsFollow) {
    return m_logger.WriteRow(ScanLogger::CardRow(card), commentsFollow);
}

LogFileWriter::Result StationLog::AddComments(const std::string& suffix) {
    return m_logger.AddComments(suffix);
}
