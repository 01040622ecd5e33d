#include "StationLog.h"

#include "Card.h"
#include "Clock.h"

StationLog::StationLog(std::string runNumber)
    : m_logger(MagneticStripeCards::SystemClock::Instance(), m_prompts, std::move(runNumber)) {}

LogFileWriter::Result StationLog::LogScan(const MagneticStripeCards::Card& card, bool comments) {
    return m_logger.Log(ScanLogger::CardRow(card), comments);
}
