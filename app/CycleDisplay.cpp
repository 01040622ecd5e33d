#include "CycleDisplay.h"

#include "ScanCycle.h"

DisplayOutput LayoutCycleDisplay(ScanCycle& cycle, const CycleDisplayOptions& options, std::int32_t& total, int width,
                                 int height) {
    DisplayInput in;
    in.state = cycle.State();
    in.card = cycle.CurrentCard();
    in.unknownCardText = cycle.UnknownCardText();
    in.validAge = options.validAge;
    in.countValidOnly = options.countValidOnly;
    in.total = total;
    in.cardUncounted = cycle.HasUncountedCard();
    in.lastResults = cycle.LastResults();
    in.width = width;
    in.height = height;

    DisplayOutput out = LayoutDisplay(in);
    total = out.total;
    // The counting rule has been applied to the card (whether or not it counted).
    if (in.cardUncounted && in.card != nullptr)
        cycle.TakeUncounted();
    return out;
}
