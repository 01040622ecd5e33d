#include "ScanLogger.h"

ScanLogger::ScanLogger(const MagneticStripeCards::Clock& clock, ILogPrompts& prompts)
    : m_prompts(prompts), m_writer(clock, prompts) {}

LogFileWriter::Result ScanLogger::Log(const std::string& row, bool comments) const {
    if (!comments)
        return m_writer.Write(row);
    return m_writer.Write(row + m_prompts.AskLogSuffix());
}
