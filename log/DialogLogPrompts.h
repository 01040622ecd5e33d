#pragma once
// The station's answers to the scan log: the modal Comments dialog, owned by the window the operator is
// working in, and the "Couldn't open logfile" box, without an owner window.

#include "ILogPrompts.h"

class DialogLogPrompts final : public ILogPrompts {
public:
    std::string AskLogSuffix() override;
    void ShowCannotOpenLog() override;
};
