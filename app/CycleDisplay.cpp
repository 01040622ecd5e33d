#include "CycleDisplay.h"

#include "ScanCycle.h"

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
