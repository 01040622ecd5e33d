#pragma once
#include "ILogPrompts.h"

#include <string>

// Answers the log's questions without a screen and counts them.
class FakeLogPrompts final : public ILogPrompts {
public:
    void ShowCannotOpenLog() override { ++cannotOpen; }

    int cannotOpen = 0;
};
