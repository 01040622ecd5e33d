#pragma once
// Timing lines for measuring the station from outside (start-up, key to verdict). Written to standard
// error only when KESTRIN_TRACE is set, as "kestrin-trace <unix time in ms> <what>".

#include <string>

namespace StationTrace {

bool Enabled();
void Line(const std::string& what);
// Milliseconds since the process started, from the kernel's record of its start.
long long MsSinceProcessStart();

} // namespace StationTrace
