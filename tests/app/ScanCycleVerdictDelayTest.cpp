// When the scan cycle decodes: the adaptive rule (a provably whole scan at its Enter, anything else after
// the quiet period) and a fixed "Verdict Delay", on simulated time. Each case types keys as a reader does
// and lists the moments (ms from the start) at which texts reach the decoder.

#include "FakeScanHost.h"

#include "Card.h"
#include "Clock.h"
#include "ScanCycle.h"
#include "TempHive.h"
#include "VerdictDelay.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

using MagneticStripeCards::Card;

namespace {

const std::string kTrack1 = "%CASACRAMENTO^DOE$JOHN$Q^123 MAIN ST^?";
const std::string kTrack2 = ";6360141234567=08121980061500?";
const std::string kTrack3 = "#0295814      C               1508150BRNBLU?";
const std::string kStripe = kTrack1 + kTrack2 + kTrack3;

// A version-10 barcode: header, DL subfile at 41, ZV subfile after it.
std::string Barcode() {
    const std::string dl = "DLDAQT64230917\nDCAD\nDBA03102031\nDCSHARTWELL\nDACNORA\nDADJUNE\nDBD02142023\n"
                           "DBB03101990\nDBC2\nDAYBRO\nDAU066 in\nDAG2406 ELM AVE\nDAIRICHMOND\nDAJVA\n"
                           "DAK232200000  \nDCF0214202300417XVA10JUN\nDCGUSA\nDDEN\nDDFN\nDDGN\r";
    const std::string zv = "ZVZVA01\r";
    auto four = [](std::size_t n) {
        const std::string s = std::to_string(n);
        return std::string(4 - s.size(), '0') + s;
    };
    return "@\n\x1e\rANSI 636000100102DL0041" + four(dl.size()) + "ZV" + four(41 + dl.size()) + four(zv.size()) + dl +
           zv;
}

std::string WithoutSeparators(const std::string& text) {
    std::string out;
    for (const char c : text)
        if (c != '\n' && c != '\r' && c != '\x1e')
            out += c;
    return out;
}

const MagneticStripeCards::FixedClock& TestClock() {
    static const MagneticStripeCards::FixedClock clock(2026, 3, 10, 14, 5, 33);
    return clock;
}

// One step of a case: keys typed at reader speed (no time passes), or a wait.
struct Step {
    enum Kind { Default, CtrlAscii, Enter, Wait } kind;
    std::string text; // Default: LF and CR typed as Enter, RS lost; CtrlAscii: as Ctrl+J, Ctrl+^, Ctrl+M
    long long ms = 0;
};
Step Keys(std::string text) {
    return {Step::Default, std::move(text)};
}
Step Ctrl(std::string text) {
    return {Step::CtrlAscii, std::move(text)};
}
Step EnterKey() {
    return {Step::Enter, {}};
}
Step Wait(long long ms) {
    return {Step::Wait, {}, ms};
}

struct Decode {
    long long at;
    std::string text;
    bool operator==(const Decode& other) const { return at == other.at && text == other.text; }
};
std::ostream& operator<<(std::ostream& out, const Decode& d) {
    return out << d.at << " ms: \"" << d.text.substr(0, 24) << "\"";
}

class Reader {
public:
    Reader(VerdictDelay delay, bool comments) : m_delay(delay) {
        m_host.logChecked = comments;
        m_host.commentsChecked = comments;
        m_host.Attach(m_cycle);
    }

    void Run(const std::vector<Step>& steps) {
        for (const Step& step : steps) {
            switch (step.kind) {
            case Step::Wait:
                m_host.Advance(step.ms);
                break;
            case Step::Enter:
                m_cycle.OnKey(ReaderKey{U'\r', false});
                break;
            case Step::Default:
            case Step::CtrlAscii:
                for (const char c : step.text)
                    Press(c, step.kind == Step::CtrlAscii);
                break;
            }
        }
    }

    std::vector<Decode> decodes;
    ScanCycle& Cycle() { return m_cycle; }

private:
    // A reader in the default mode types LF and CR as Enter and loses RS; in Ctrl + ASCII mode it holds
    // Ctrl with J, ^ and M.
    void Press(char c, bool ctrlAscii) {
        if (c == '\n' || c == '\r' || c == '\x1e') {
            if (ctrlAscii)
                m_cycle.OnKey(ReaderKey{c == '\n' ? U'j' : c == '\r' ? U'm' : U'^', true});
            else if (c != '\x1e')
                m_cycle.OnKey(ReaderKey{U'\r', false});
            return;
        }
        m_cycle.OnKey(ReaderKey{static_cast<unsigned char>(c), false});
    }

    TempSettings m_settings;
    VerdictDelay m_delay;
    FakeScanHost m_host;
    ScanCycle m_cycle{m_host,
                      [this](const std::string& swipe) {
                          decodes.push_back({m_host.Now(), swipe});
                          return std::make_unique<Card>(swipe, TestClock());
                      },
                      m_delay};
};

struct Case {
    const char* name;
    std::vector<Step> steps;
    std::vector<Decode> expected;
    VerdictDelay delay = VerdictDelay::Adaptive();
    bool comments = false;
};

TEST(ScanCycleVerdictDelay, WhenEachScanIsDecoded) {
    const std::string barcode = Barcode();
    const std::string runTogether = WithoutSeparators(barcode);
    const std::string withoutZv = barcode.substr(0, barcode.size() - 8);
    const Case cases[] = {
        {"complete stripe: at its Enter", {Keys(kStripe), EnterKey(), Wait(3000)}, {{0, kStripe}}},
        {"stripe without track 3: the quiet period",
         {Keys(kTrack1 + kTrack2), EnterKey(), Wait(3000)},
         {{1000, kTrack1 + kTrack2}}},
        {"stripe without an Enter: 2000 ms", {Keys(kStripe), Wait(3000)}, {{2000, kStripe}}},
        {"track by track, an Enter each: at the third",
         {Keys(kTrack1), EnterKey(), Wait(20), Keys(kTrack2), EnterKey(), Wait(20), Keys(kTrack3), EnterKey(),
          Wait(3000)},
         {{40, kStripe}}},
        {"default-mode barcode: at the Enter of its last CR", {Keys(barcode), Wait(3000)}, {{0, runTogether}}},
        {"default-mode barcode without its last subfile: the quiet period",
         {Keys(withoutZv), Wait(3000)},
         {{1000, WithoutSeparators(withoutZv)}}},
        {"Ctrl + ASCII barcode: at the Enter after it", {Ctrl(barcode), EnterKey(), Wait(3000)}, {{0, barcode}}},
        {"Ctrl + ASCII barcode without an Enter: 2000 ms", {Ctrl(barcode), Wait(3000)}, {{2000, barcode}}},
        {"suffix CR LF after the Enter: one scan",
         {Keys(kStripe), EnterKey(), EnterKey(), Ctrl("\n"), Wait(3000)},
         {{0, kStripe}}},
        {"default-mode barcode and its suffix Enter: one scan",
         {Keys(barcode), EnterKey(), Wait(3000)},
         {{0, runTogether}}},
        {"two cards back to back: two scans",
         {Keys(kStripe), EnterKey(), Wait(5), Keys(kStripe), EnterKey(), Wait(3000)},
         {{0, kStripe}, {5, kStripe}}},
        {"Enter after the suffix window: a scan of its own",
         {Keys(kStripe), EnterKey(), Wait(1000), EnterKey(), Wait(3000)},
         {{0, kStripe}, {2000, ""}}},
        {"Comments asked for: the quiet period",
         {Keys(kStripe), EnterKey(), Wait(3000)},
         {{1000, kStripe}},
         VerdictDelay::Adaptive(),
         true},
        {"Verdict Delay 1000: the quiet period",
         {Keys(kStripe), EnterKey(), Wait(3000)},
         {{1000, kStripe}},
         VerdictDelay::Fixed(1000)},
        {"Verdict Delay 300 after an Enter",
         {Keys(kStripe), EnterKey(), Wait(3000)},
         {{300, kStripe}},
         VerdictDelay::Fixed(300)},
        {"Verdict Delay 300 after another key",
         {Keys(kStripe), Wait(3000)},
         {{600, kStripe}},
         VerdictDelay::Fixed(300)},
        {"Verdict Delay 300, track by track",
         {Keys(kTrack1), EnterKey(), Wait(200), Keys(kTrack2 + kTrack3), EnterKey(), Wait(3000)},
         {{500, kStripe}},
         VerdictDelay::Fixed(300)},
    };
    for (const Case& c : cases) {
        Reader reader(c.delay, c.comments);
        reader.Run(c.steps);
        EXPECT_EQ(reader.decodes, c.expected) << c.name;
    }
}

TEST(ScanCycleVerdictDelay, EarlyVerdictShowsTheCardAndIgnoresTheSuffix) {
    Reader reader(VerdictDelay::Adaptive(), false);
    reader.Run({Keys(kStripe), EnterKey()});
    EXPECT_EQ(reader.Cycle().State(), DisplayState::CardShown);
    EXPECT_TRUE(reader.Cycle().SwipeText().empty());
    reader.Run({EnterKey(), Wait(50)});
    EXPECT_EQ(reader.Cycle().State(), DisplayState::CardShown) << "a suffix Enter does not blank the verdict";
    reader.Run({Keys("%")});
    EXPECT_EQ(reader.Cycle().State(), DisplayState::Capturing);
    EXPECT_EQ(reader.Cycle().SwipeText(), "%");
}

TEST(ScanCycleVerdictDelay, SettingValueGivesTheRule) {
    EXPECT_TRUE(VerdictDelay::FromSetting(-1).IsAdaptive());
    const VerdictDelay part = VerdictDelay::FromSetting(1000);
    EXPECT_FALSE(part.IsAdaptive());
    EXPECT_EQ(part.QuietPeriodMs(true), 500);
    EXPECT_EQ(part.QuietPeriodMs(false), 1000);
    EXPECT_EQ(VerdictDelay::FromSetting(0).QuietPeriodMs(false), VerdictDelay::kShortestMs);
    EXPECT_EQ(VerdictDelay::FromSetting(-2).QuietPeriodMs(false), VerdictDelay::kLongestMs);
    EXPECT_EQ(VerdictDelay::Adaptive().QuietPeriodMs(true), 500);
}

} // namespace
