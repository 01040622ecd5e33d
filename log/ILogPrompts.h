#pragma once
// What the scan log needs from the operator: the two comments of a row, and being told that a row could
// not be written. The station shows the Comments dialog and a message box (DialogLogPrompts); tests answer
// without a screen.

#include <string>

class ILogPrompts {
public:
    virtual ~ILogPrompts() = default;

    // Runs the Comments dialog and returns its log suffix (two quoted fields, each led by a comma); after
    // Cancel the two fields are empty.
    virtual std::string AskLogSuffix() = 0;

    // "Couldn't open logfile" (caption "Error", OK only, no icon); returns when acknowledged.
    virtual void ShowCannotOpenLog() = 0;
};
