#pragma once
// What the scan log needs from the operator: being told that rows cannot be written. The station shows a
// message box (DialogLogPrompts); tests answer without a screen.

class ILogPrompts {
public:
    virtual ~ILogPrompts() = default;

    // "Couldn't open logfile" (caption "Error", OK only, no icon), once at the start of each run of failed
    // writes. Returns at once: the box must not take the next card's key strokes.
    virtual void ShowCannotOpenLog() = 0;
};
