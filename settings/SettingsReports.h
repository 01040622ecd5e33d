#pragma once
// How the settings store tells of its failures. The administrator gets the cause (which file, which
// operation, the system's error text) on standard error and in the system journal; the operator gets the
// fatal box, or a warning for a failure the station goes on through (Settings.h has the two reporters).

#include <string>

namespace Settings {

// One line for the administrator: "kestrin: settings: <line>" on standard error, and to syslog(3), which
// journald collects.
void LogCause(const std::string& line);

// A failure the station goes on through: the cause is logged, then the warning reporter gets the text.
void Warn(const std::string& text, const std::string& cause);

} // namespace Settings
