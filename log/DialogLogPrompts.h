#pragma once
// The station's answers to the scan log: the modal Comments dialog and the "Couldn't open logfile" box,
// both without an owner window.

#include "ILogPrompts.h"

class DialogLogPrompts final : public ILogPrompts {
public:
    std::string AskLogSuffix() override;
    void ShowCannotOpenLog() override;
};
