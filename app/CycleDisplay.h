#pragma once
// What one paint of the station shows, taken from the scan cycle: the display state, the current card's
// texts for the verdict by `validAge`, the unknown-card text, the total the cycle has counted, the last
// results and whether the card shown went into the scan log. The caller adds the sizes.

#include "DisplayLayout.h"
#include "ScanRecorder.h"

#include <cstdint>
#include <optional>
#include <string>

class ScanCycle;

DisplayInput DisplayInputOf(const ScanCycle& cycle, std::int32_t validAge);

// What the display shows of the venue's word on a scan: BANNED with the reason and the expiry, the
// "FLAGGED: reason" line, the VIP mark, the repeat line.
// `canMatch` false: there are lists, but the door has no venue key, so none was looked at.
VenueMarks VenueMarksOf(const Venue::DoorOutcome& outcome, bool canMatch = true);

// "Station clock is N min off the venue server" (N rounded) when the offset measured against the server
// (microseconds, either way) is beyond Venue::kClockOffLimitUs: the door's scan times come from its own
// clock. Empty within the limit or before any reading.
std::string ClockNotice(std::optional<std::int64_t> offsetUs);
