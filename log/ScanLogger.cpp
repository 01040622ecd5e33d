#include "ScanLogger.h"

ScanLogger::ScanLogger(const MagneticStripeCards::Clock& clock, ILogPrompts& prompts)
    : m_prompts(prompts), m_writer(clock, prompts) {}

const std::string ScanLogger::kNoComments = ",\"\",\"\"";

LogFileWriter::Result ScanLogger::Log(const std::string& row, bool comments) const {
    if (!comments)
        return m_writer.Write(row);
    return m_writer.Write(row + m_prompts.AskLogSuffix());
}

LogFileWriter::Result ScanLogger::WriteRow(const std::string& row, bool commentsPending) {
    m_pending.reset();
    if (!commentsPending)
        return m_writer.Write(row);
    LogFileWriter::WrittenRow where;
    const LogFileWriter::Result result = m_writer.Write(row + kNoComments, &where);
    if (result == LogFileWriter::Result::Written) {
        m_pendingRow = row;
        m_pending = std::move(where);
    }
    return result;
}

LogFileWriter::Result ScanLogger::AddComments(const std::string& suffix) {
    if (!m_pending)
        return LogFileWriter::Result::WriteFailed;
    if (suffix == kNoComments) {
        m_pending.reset();
        return LogFileWriter::Result::Written;
    }
    const LogFileWriter::Result result = m_writer.Replace(*m_pending, m_pendingRow + suffix);
    m_pending.reset();
    return result;
}
