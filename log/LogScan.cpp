#include "LogScan.h"

#include "Card.h"
#include "Clock.h"
#include "DialogLogPrompts.h"
#include "ScanLogger.h"

void LogScan(const MagneticStripeCards::Card& card, bool comments) {
    DialogLogPrompts prompts;
    ScanLogger(MagneticStripeCards::SystemClock::Instance(), prompts).Log(card.LogRow(), comments);
}
