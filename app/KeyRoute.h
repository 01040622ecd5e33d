#pragma once
// Where a key event of the station window goes. Every key press the station sees is taken before the
// dialog's own handling, so Esc never cancels, Enter never presses a default button and Tab never moves
// the focus; presses with Alt held are system keys and keep the platform's handling, except Alt+F4,
// which the station answers itself because under its keyboard grab the window manager never sees it.

class KeyboardLock;
class QKeyEvent;

enum class KeyRoute {
    Swallow,     // withheld by the keyboard lock: nobody sees it
    CloseWindow, // Alt+F4
    System,      // Alt held: the platform's handling
    Feed,        // a key press for the keystroke handler
    Ignore,      // a release: consumed, nothing happens
};

KeyRoute RouteKey(const QKeyEvent& event, const KeyboardLock& lock, bool ontopChecked);
