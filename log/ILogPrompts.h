#pragma once
// What the scan log needs from the operator: the two comments of a row, and being told that rows cannot be
// written. The station shows the Comments dialog and a message box (DialogLogPrompts); tests answer
// without a screen.

#include <string>

class ILogPrompts {
public:
    virtual ~ILogPrompts() = default;

    // Runs the Comments dialog and returns its log suffix (two quoted fields, each led by a comma); after
    // Cancel the two fields are empty.
    virtual std::string AskLogSuffix() = 0;

    // "Couldn't open logfile" (caption "Error", OK only, no icon), once at the start of each run of failed
    // writes. Returns at once: the box must not take the next card's key strokes.
    virtual void ShowCannotOpenLog() = 0;
};
