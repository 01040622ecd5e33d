#pragma once
// The valid age every verdict and the scan total are judged by. It never fails open: a "Valid Age" that
// cannot be read while the station runs (a damaged, emptied or locked hive) is the age read last, and
// before any was read 21; no failure to read a setting can make a minor's verdict green. A stored age
// below 1 is used as stored: the display warns of it on every result.

#include <cstdint>

constexpr std::int32_t kDefaultValidAge = 21;

// The age for the verdict being shown now (read from the settings each time).
std::int32_t VerdictValidAge();

// At start: a settings key without "Valid Age" gets 21, as the option items store their defaults.
void StoreDefaultValidAge();
