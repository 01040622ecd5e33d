#pragma once
// One logged card: the comments (when asked for) joined to the card's row, then the row appended.

#include "ILogPrompts.h"
#include "LogFileWriter.h"

#include <string>

class ScanLogger {
public:
    ScanLogger(const MagneticStripeCards::Clock& clock, ILogPrompts& prompts);

    // `row` is the card's LogRow; with `comments` set the operator is asked first and the suffix follows.
    LogFileWriter::Result Log(const std::string& row, bool comments) const;

private:
    ILogPrompts& m_prompts;
    LogFileWriter m_writer;
};
