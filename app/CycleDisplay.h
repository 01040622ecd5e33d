#pragma once
// What one paint of the station shows, taken from the scan cycle: the display state, the current card's
// texts for the verdict by `validAge`, the unknown-card text, the total the cycle has counted, the last
// results and whether the card shown went into the scan log. The caller adds the sizes.

#include "DisplayLayout.h"

#include <cstdint>

class ScanCycle;

DisplayInput DisplayInputOf(const ScanCycle& cycle, std::int32_t validAge);
