#include "ReaderBurstDetector.h"

#include "RowName.h"

#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <sstream>
#include <string>

namespace {

// A row is a script of key events and what the detector must decide for each:
//   <key><time ms>[r]:<route>   a press (r: auto-repeated; key ^: one without a character, as Shift); route
//                               D, S or H for the key, preceded by d or s
//                               when the key held so far goes to the dialog or the scan first
//   release:<route>             a release: D delivered, S withheld
//   expire[+<late ms>]:<0|1|w>  the hold timer ran out (that late); 1 when a key was held (it goes to the
//                               dialog), w when the held key waits longer for keys a late station has
//                               not read yet
struct BurstCase {
    const char* name;
    const char* script;
};

void PrintTo(const BurstCase& row, std::ostream* os) {
    *os << row.name;
}

char Letter(ReaderBurstDetector::Route route) {
    switch (route) {
    case ReaderBurstDetector::Route::Dialog:
        return 'D';
    case ReaderBurstDetector::Route::Scan:
        return 'S';
    case ReaderBurstDetector::Route::Hold:
        return 'H';
    }
    return '?';
}

std::string Outcome(const ReaderBurstDetector::Decision& decision) {
    std::string outcome;
    if (decision.held)
        outcome += static_cast<char>(std::tolower(Letter(*decision.held)));
    return outcome + Letter(decision.key);
}

class ReaderBurst : public ::testing::TestWithParam<BurstCase> {};

TEST_P(ReaderBurst, RoutesEveryKey) {
    ReaderBurstDetector detector;
    std::istringstream script(GetParam().script);
    std::string step;
    while (script >> step) {
        const std::size_t colon = step.find(':', 1); // the key itself may be a colon
        ASSERT_NE(colon, std::string::npos) << step;
        const std::string event = step.substr(0, colon);
        const std::string expected = step.substr(colon + 1);
        if (event == "release") {
            EXPECT_EQ(std::string(1, Letter(detector.OnRelease())), expected) << step;
        } else if (event.rfind("expire", 0) == 0) {
            const std::uint64_t late = event.size() > 7 ? std::stoull(event.substr(7)) : 0;
            const ReaderBurstDetector::Expiry expiry = detector.OnHoldExpired(late);
            const char* const outcome = expiry == ReaderBurstDetector::Expiry::WaitLonger     ? "w"
                                        : expiry == ReaderBurstDetector::Expiry::GiveToDialog ? "1"
                                                                                              : "0";
            EXPECT_EQ(outcome, expected) << step;
        } else {
            const bool repeat = event.back() == 'r';
            const std::uint64_t time = std::stoull(event.substr(1, event.size() - 1 - (repeat ? 1 : 0)));
            const char32_t character = event[0] == '^' ? 0 : static_cast<unsigned char>(event[0]);
            EXPECT_EQ(Outcome(detector.OnPress(character, repeat, time)), expected) << step;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReaderBurst,
    ::testing::Values(
        BurstCase{"ReaderSwipe", "%0:H release:D C3:sS A6:S release:S x106:S release:S y300:D release:D"},
        BurstCase{"PersonTypesPercentAndStops", "%0:H release:D expire:1 x400:D expire:0"},
        BurstCase{"PersonTypesPercentThenAKey", "%0:H x51:dD"},
        BurstCase{"SentinelsTypedSlowlyEachHeld", "%0:H @200:dH expire:1"},
        BurstCase{"AutoRepeatIsAPerson", "%0:H %30r:dD %60r:D"},
        BurstCase{"FastKeysWithoutSentinelAreAPerson", "x0:D y2:D z4:D"},
        BurstCase{"BurstEndsAfterAPause", "%0:H ;40:sS x140:S y241:D"},
        BurstCase{"EverySentinelStartsABurst", ";0:H x1:sS #500:H x501:sS @900:H x901:sS"},
        BurstCase{"TimeGoingBackIsNoBurst", "%100:H x50:dD"},
        // A phone's engagement code: "mdoc:" at a reader's pace is a burst, anything else is the person's.
        BurstCase{"PhoneCode", "m0:H d3:H o6:H c9:H :12:sS x15:S release:S y300:D"},
        // ^ stands for a key without a character (Shift for the colon).
        BurstCase{"PhoneCodeWithShiftBeforeTheColon", "m0:H d3:H o6:H c9:H ^11:H :12:sS"},
        BurstCase{"ShiftAloneIsNoPrefix", "m0:H ^3:H x200:dD"}, BurstCase{"PersonTypesAWordWithM", "m0:H e30:dD"},
        BurstCase{"PersonTypesMdocSlowly", "m0:H d120:dD o240:D c360:D :480:D"},
        BurstCase{"PhonePrefixBrokenLate", "m0:H d3:H o6:H c90:dD"},
        BurstCase{"PhonePrefixHeldUntilTheTimer", "m0:H d3:H expire:1 o400:D"},
        BurstCase{"PhonePrefixBrokenByASentinel", "m0:H d3:H %6:dH x8:sS"},
        BurstCase{"UpperCaseIsNoPhone", "M0:D D3:D"}, BurstCase{"AutoRepeatedMIsAPerson", "m0r:D"},
        BurstCase{"NothingHeldNothingExpires", "expire:0 release:D x0:D expire:0"},
        // The station was held up: the reader's next key is read after the late timer.
        BurstCase{"LateTimerWaitsForTheReadersKey", "%0:H expire+200:w expire+5:1 %1000:H expire+300:w C1002:sS"},
        BurstCase{"LateTimerWaitsOnlySoLong", "%0:H expire+90:w expire+90:w expire+90:w expire+90:w expire+90:w "
                                              "expire+90:w expire+90:w expire+90:w expire+90:w expire+90:w "
                                              "expire+90:w expire+90:w expire+90:w expire+90:w expire+90:w "
                                              "expire+90:w expire+90:w expire+90:w expire+90:w expire+90:w "
                                              "expire+90:w expire+90:w expire+90:w expire+90:w expire+90:w "
                                              "expire+90:1"}),
    RowName());

} // namespace
