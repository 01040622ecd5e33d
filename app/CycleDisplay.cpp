#include "CycleDisplay.h"

#include "ScanCycle.h"
#include "VenueTime.h"

DisplayInput DisplayInputOf(const ScanCycle& cycle, std::int32_t validAge) {
    DisplayInput in;
    in.state = cycle.State();
    if (const MagneticStripeCards::Card* const card = cycle.CurrentCard())
        in.card = ShownCardOf(*card, validAge);
    in.unknownCardText = cycle.UnknownCardText();
    in.validAge = validAge;
    in.total = cycle.Total();
    in.lastResults = cycle.LastResults();
    in.notLogged = cycle.IsNotLogged();
    return in;
}

VenueMarks VenueMarksOf(const Venue::DoorOutcome& outcome) {
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
    return marks;
}
