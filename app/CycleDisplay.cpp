#include "CycleDisplay.h"

#include "ScanCycle.h"
#include "SyncWorker.h"
#include "VenueTime.h"

#include <cmath>

DisplayInput DisplayInputOf(const ScanCycle& cycle, std::int32_t validAge) {
    DisplayInput in;
    in.state = cycle.State();
    if (const MagneticStripeCards::Card* const card = cycle.CurrentCard())
        in.card = ShownCardOf(*card, validAge);
    if (const ShownMobile* const mobile = cycle.CurrentMobile())
        in.mobile = *mobile;
    in.unknownCardText = cycle.UnknownCardText();
    in.validAge = validAge;
    in.total = cycle.Total();
    in.lastResults = cycle.LastResults();
    in.notLogged = cycle.IsNotLogged();
    return in;
}

VenueMarks VenueMarksOf(const Venue::DoorOutcome& outcome, bool canMatch) {
    VenueMarks marks;
    if (outcome.banned) {
        marks.banned = true;
        // The entry holds until the moment its last day ends.
        marks.bannedDetail = std::string(Venue::ReasonText(outcome.banned->reason)) + ", until " +
                             Venue::LocalDate(outcome.banned->validUntil - 1);
    }
    if (outcome.flagged)
        marks.flaggedLine = "FLAGGED: " + std::string(Venue::ReasonText(outcome.flagged->reason));
    marks.vip = outcome.vip;
    marks.repeatLine = outcome.RepeatLine();
    // An operator must not take a card that no list was checked for as one on no list.
    if (!canMatch)
        marks.notice = "Lists not checked: no venue key file";
    else if (!outcome.stored)
        marks.notice = "Not in the venue's record: the venue store cannot be written";
    return marks;
}

std::string ClockNotice(std::optional<std::int64_t> offsetUs) {
    if (!offsetUs || (*offsetUs <= Venue::kClockOffLimitUs && *offsetUs >= -Venue::kClockOffLimitUs))
        return {};
    const long long minutes = std::llround(std::fabs(static_cast<double>(*offsetUs)) / 60e6);
    return "Station clock is " + std::to_string(minutes) + " min off the venue server";
}
