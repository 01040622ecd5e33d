#pragma once
// Where a key event of the station window goes. Every key press the station sees is taken before the
// dialog's own handling, so Esc never cancels, Enter never presses a default button and Tab never moves
// the focus; presses with Alt held are system keys and keep the platform's handling, except Alt+F4,
// which the station answers itself because under its keyboard grab the window manager never sees it.
// The station's own function keys are answered here too, so they never become part of a scan's text.

class KeyboardLock;
class QKeyEvent;

enum class KeyRoute {
    Swallow,     // withheld by the keyboard lock: nobody sees it
    CloseWindow, // Alt+F4
    System,      // Alt held: the platform's handling
    Feed,        // a key press for the keystroke handler
    Ignore,      // a release, or a counting key held down: consumed, nothing happens
    FullScreen,  // F11
    VenueMenu,   // F9: the menu bar takes no Alt navigation, a swipe's keys must not land in it
    CountIn,     // F7: one guest in by hand (a key held down counts once)
    CountOut,    // F8: one guest out
};

KeyRoute RouteKey(const QKeyEvent& event, const KeyboardLock& lock, bool ontopChecked);
