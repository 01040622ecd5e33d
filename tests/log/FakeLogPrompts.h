#pragma once
#include "ILogPrompts.h"

#include <string>

// Answers the log's questions without a screen and counts them.
class FakeLogPrompts final : public ILogPrompts {
public:
    std::string AskLogSuffix() override {
        ++asked;
        return suffix;
    }
    void ShowCannotOpenLog() override { ++cannotOpen; }

    std::string suffix = ",\"\",\"\"";
    int asked = 0;
    int cannotOpen = 0;
};
