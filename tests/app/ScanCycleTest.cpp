#include "FakeScanHost.h"
#include "UnknownSwipeFile.h"

#include "Card.h"
#include "Clock.h"
#include "ScanCycle.h"
#include "TempHive.h"

#include "RowName.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

using MagneticStripeCards::Card;
namespace fs = std::filesystem;

namespace {

const char kExampleSwipe[] = "%CASACRAMENTO^DOE$JOHN$Q^123 MAIN ST^?;6360141234567=08121980061500?"
                             "#0295814      C               1508150BRNBLU?";
const char kUndecodable[] = "NOT A CARD";

std::string SwipeOf(const std::string& name) {
    return "%CASACRAMENTO^" + name +
           "^123 MAIN ST^?;6360141234567=08121980061500?#0295814      C"
           "               1508150BRNBLU?";
}

const MagneticStripeCards::FixedClock& TestClock() {
    static const MagneticStripeCards::FixedClock clock(2007, 3, 10, 14, 5, 33);
    return clock;
}

std::unique_ptr<Card> DecodeAtTestTime(const std::string& swipe) {
    return std::make_unique<Card>(swipe, TestClock());
}

class ScanCycleTest : public ::testing::Test {
protected:
    void SetUp() override { host.Attach(cycle); }

    void Type(const std::string& text) {
        for (const char c : text)
            cycle.OnKey(ReaderKey{static_cast<unsigned char>(c), false});
    }
    void Enter() { cycle.OnKey(ReaderKey{U'\r', false}); }
    // One whole scan ended by Enter, run up to its decode.
    void Scan(const std::string& swipe) {
        Type(swipe);
        Enter();
        host.Advance(1000);
    }

    TempSettings settings;
    FakeScanHost host;
    std::vector<std::string> handedToDecoder;
    ScanCycle::CardFactory decode = DecodeAtTestTime;
    ScanCycle cycle{host, [this](const std::string& swipe) {
                        handedToDecoder.push_back(swipe);
                        return decode(swipe);
                    }};
};

TEST_F(ScanCycleTest, StartsReadyWithNothingShown) {
    EXPECT_EQ(cycle.State(), DisplayState::Ready);
    EXPECT_EQ(cycle.CurrentCard(), nullptr);
    EXPECT_TRUE(cycle.LastResults().empty());
    EXPECT_EQ(cycle.Total(), 0);
    EXPECT_TRUE(host.events.empty());
}

TEST_F(ScanCycleTest, FirstKeyBlanksTheDisplayLaterKeysOnlyRestartTheQuietTimer) {
    Type("%C");
    const std::vector<std::string> expected{"stop 1", "stop 2", "start 1 1000", "repaint",
                                            "stop 1", "stop 2", "start 1 1000"};
    EXPECT_EQ(host.events, expected);
    EXPECT_EQ(cycle.State(), DisplayState::Capturing);
    EXPECT_EQ(cycle.SwipeText(), "%C");
}

TEST_F(ScanCycleTest, SwipeEndedByEnterIsDecodedAtTheSecondTickOf500Ms) {
    Type(kExampleSwipe);
    Enter();
    EXPECT_EQ(host.PeriodOf(ScanCycle::kQuietTimer), 500);
    EXPECT_EQ(cycle.SwipeText(), kExampleSwipe) << "Enter adds nothing";
    host.Advance(999);
    EXPECT_TRUE(handedToDecoder.empty());
    EXPECT_EQ(cycle.State(), DisplayState::Capturing);
    host.Advance(1);
    ASSERT_EQ(handedToDecoder.size(), 1u);
    EXPECT_EQ(handedToDecoder[0], kExampleSwipe);
    EXPECT_EQ(cycle.State(), DisplayState::CardShown);
    EXPECT_TRUE(cycle.SwipeText().empty());
}

TEST_F(ScanCycleTest, SwipeWithoutEnterIsDecodedAtTheSecondTickOf1000Ms) {
    Type(kExampleSwipe);
    host.Advance(1999);
    EXPECT_TRUE(handedToDecoder.empty());
    host.Advance(1);
    ASSERT_EQ(handedToDecoder.size(), 1u);
    EXPECT_EQ(handedToDecoder[0], kExampleSwipe);
}

TEST_F(ScanCycleTest, KeyAfterOneQuietTickContinuesTheSameSwipe) {
    Type(";636014");
    host.Advance(1500); // one tick has cleared the settling flag
    Type("1234567=08121980061500?");
    host.Advance(1999);
    EXPECT_TRUE(handedToDecoder.empty());
    host.Advance(1);
    ASSERT_EQ(handedToDecoder.size(), 1u);
    EXPECT_EQ(handedToDecoder[0], ";6360141234567=08121980061500?");
}

TEST_F(ScanCycleTest, KeysWithoutCharacterChangeNothing) {
    // Shift, Ctrl, an arrow or F1 type no character; Delete and a letter outside ASCII none the swipe takes.
    for (const char32_t c : {char32_t{0}, char32_t{0x7F}, char32_t{0xE9}})
        cycle.OnKey(ReaderKey{c, false});
    EXPECT_TRUE(host.events.empty());
    EXPECT_EQ(cycle.State(), DisplayState::Ready);

    Type(";1?");
    host.Advance(1900);
    cycle.OnKey(ReaderKey{}); // Shift does not restart the wait
    host.Advance(100);
    EXPECT_EQ(handedToDecoder.size(), 1u);
}

TEST_F(ScanCycleTest, EnterAloneHandsAnEmptySwipeToTheDecoderAndShowsUnknown) {
    Enter();
    EXPECT_EQ(cycle.State(), DisplayState::Capturing);
    EXPECT_EQ(host.events.back(), "repaint");
    host.Advance(1000);
    ASSERT_EQ(handedToDecoder.size(), 1u);
    EXPECT_EQ(handedToDecoder[0], "");
    EXPECT_EQ(cycle.State(), DisplayState::UnknownCard);
    EXPECT_EQ(cycle.UnknownCardText(), "Unknown DL");
}

TEST_F(ScanCycleTest, SuccessfulScanWritesTheRowBeforeTheResultShows) {
    host.logChecked = true;
    Scan(kExampleSwipe);
    // The tail of the event list from the decoding tick on: the log row and the venue's event are stored
    // before the result is painted.
    const std::vector<std::string> expected{"stop 1", "log", "venue card", "start 2 10000", "repaint"};
    ASSERT_GE(host.events.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(host.events.end() - 5, host.events.end()), expected);
    ASSERT_NE(cycle.CurrentCard(), nullptr);
    EXPECT_EQ(cycle.CurrentCard()->Tracks()[1], "6360141234567=08121980061500");
    ASSERT_EQ(cycle.LastResults().size(), 1u);
    EXPECT_EQ(cycle.LastResults().front(), cycle.CurrentCard()->ResultLine());
    EXPECT_FALSE(host.IsRunning(ScanCycle::kQuietTimer));
}

TEST_F(ScanCycleTest, FailedScanStartsTheUnknownTimerAndKeepsCardAndList) {
    Scan(kExampleSwipe);
    const Card* before = cycle.CurrentCard();
    const auto results = cycle.LastResults();
    host.events.clear();
    Scan(kUndecodable);
    EXPECT_EQ(cycle.State(), DisplayState::UnknownCard);
    EXPECT_EQ(cycle.CurrentCard(), before);
    EXPECT_EQ(cycle.LastResults(), results);
    EXPECT_EQ(cycle.UnknownCardText(), "Unknown DL");
    EXPECT_TRUE(cycle.SwipeText().empty());
    const std::vector<std::string> tail{"stop 1", "venue unknown", "start 3 5000", "repaint"};
    EXPECT_EQ(std::vector<std::string>(host.events.end() - 4, host.events.end()), tail);
}

TEST_F(ScanCycleTest, ResultShowsTenSecondsFromTheDecode) {
    Scan(kExampleSwipe);
    host.events.clear();
    host.Advance(9999);
    EXPECT_EQ(cycle.State(), DisplayState::CardShown);
    host.Advance(1);
    EXPECT_EQ(cycle.State(), DisplayState::Ready);
    const std::vector<std::string> expected{"stop 2", "repaint"};
    EXPECT_EQ(host.events, expected);
}

TEST_F(ScanCycleTest, UnknownShowsFiveSecondsAndItsTimerSurvivesKeys) {
    Scan(kUndecodable);
    host.Advance(4999);
    EXPECT_EQ(cycle.State(), DisplayState::UnknownCard);
    host.Advance(1);
    EXPECT_EQ(cycle.State(), DisplayState::Ready);
    EXPECT_FALSE(host.IsRunning(ScanCycle::kUnknownTimer));

    Scan(kUndecodable);
    host.Advance(4500);
    Type("%"); // leaves UnknownCard; the unknown timer keeps ticking, without effect
    host.Advance(700);
    EXPECT_TRUE(host.IsRunning(ScanCycle::kUnknownTimer));
    EXPECT_EQ(cycle.State(), DisplayState::Capturing);
    EXPECT_EQ(handedToDecoder.size(), 2u);
}

TEST_F(ScanCycleTest, TypingDuringCardShownBlanksAndStartsAnotherSwipe) {
    Scan(kExampleSwipe);
    host.events.clear();
    Type(";9");
    EXPECT_EQ(cycle.State(), DisplayState::Capturing);
    EXPECT_FALSE(host.IsRunning(ScanCycle::kResultTimer));
    EXPECT_EQ(host.events[1], "stop 2");
    EXPECT_EQ(host.events[3], "repaint");
    EXPECT_EQ(cycle.SwipeText(), ";9");
    host.Advance(20000);
    EXPECT_EQ(handedToDecoder.back(), ";9");
}

TEST_F(ScanCycleTest, FifthScanPushesOutTheOldestResult) {
    const std::vector<std::string> names{"ONE$ANN", "TWO$BEN", "THREE$CAL", "FOUR$DEB", "FIVE$EVE"};
    std::vector<std::string> lines;
    for (const auto& name : names) {
        Scan(SwipeOf(name));
        ASSERT_EQ(cycle.State(), DisplayState::CardShown) << name;
        lines.insert(lines.begin(), cycle.CurrentCard()->ResultLine());
    }
    const std::deque<std::string> expected(lines.begin(), lines.begin() + 4);
    EXPECT_EQ(cycle.LastResults(), expected);
    EXPECT_NE(lines[0], lines[1]);
}

TEST_F(ScanCycleTest, AutoRepeatCountsEveryKeyDown) {
    Type(";");
    for (int i = 0; i < 3; ++i)
        cycle.OnKey(ReaderKey{U'7', false});
    EXPECT_EQ(cycle.SwipeText(), ";777");
}

struct LogCase {
    const char* name;
    bool logChecked;
    bool commentsAtKeys;
    bool commentsAtDecode;
    bool writeSucceeds;
    const char* swipe;
    int expectedLogCalls;
    bool dialogOpens;
    bool notLogged;
};

void PrintTo(const LogCase& row, std::ostream* os) {
    *os << row.name;
}

class ScanCycleLogTest : public ScanCycleTest, public ::testing::WithParamInterface<LogCase> {};

TEST_P(ScanCycleLogTest, LogsEveryDecodedCardWhileCreateLogIsChecked) {
    const LogCase& c = GetParam();
    host.logChecked = c.logChecked;
    host.commentsChecked = c.commentsAtKeys;
    host.logWrites = c.writeSucceeds;
    Type(c.swipe);
    host.Advance(1500);
    host.commentsChecked = c.commentsAtDecode;
    host.Advance(500);
    ASSERT_EQ(static_cast<int>(host.logCalls.size()), c.expectedLogCalls);
    if (c.expectedLogCalls == 1) {
        EXPECT_EQ(host.logCalls[0].card, cycle.CurrentCard());
        EXPECT_EQ(host.logCalls[0].comments, c.commentsAtDecode);
    }
    const bool opened = std::find(host.events.begin(), host.events.end(), "comments open") != host.events.end();
    EXPECT_EQ(opened, c.dialogOpens);
    EXPECT_EQ(cycle.IsCommentsOpen(), c.dialogOpens);
    EXPECT_EQ(cycle.IsNotLogged(), c.notLogged);
    EXPECT_EQ(host.IsRunning(ScanCycle::kResultTimer), !c.dialogOpens && c.swipe == kExampleSwipe)
        << "the result's time starts at the decode, or when the dialog closes";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScanCycleLogTest,
    ::testing::Values(
        LogCase{"LogOffCommentsOn", false, true, true, true, kExampleSwipe, 0, false, false},
        LogCase{"LogOffCommentsOff", false, false, false, true, kExampleSwipe, 0, false, false},
        LogCase{"LogOnCommentsOff", true, false, false, true, kExampleSwipe, 1, false, false},
        LogCase{"LogOnCommentsOn", true, true, true, true, kExampleSwipe, 1, true, false},
        LogCase{"CommentsSwitchedOnBeforeDecode", true, false, true, true, kExampleSwipe, 1, true, false},
        LogCase{"CommentsSwitchedOffBeforeDecode", true, true, false, true, kExampleSwipe, 1, false, false},
        LogCase{"RowNotWrittenYetStillTakesComments", true, true, true, false, kExampleSwipe, 1, true, true},
        LogCase{"FailedWriteWithoutComments", true, false, false, false, kExampleSwipe, 1, false, true},
        LogCase{"FailedDecodeIsNeverLogged", true, true, true, true, kUndecodable, 0, false, false}),
    RowName());

// The operator takes 30 s over the comments: the verdict was painted before the dialog opened and stays
// until ten seconds after it has closed.
TEST_F(ScanCycleTest, CommentsOpenOverAPaintedVerdictWhoseTimeStartsAtTheirClose) {
    host.logChecked = true;
    host.commentsChecked = true;
    Scan(kExampleSwipe);
    const std::vector<std::string> tail{"stop 1",    "log comments",  "venue card",
                                        "paint now", "comments open", "repaint"};
    ASSERT_GE(host.events.size(), tail.size());
    EXPECT_EQ(std::vector<std::string>(host.events.end() - 6, host.events.end()), tail);
    EXPECT_TRUE(cycle.IsCommentsOpen());
    host.Advance(30000);
    EXPECT_EQ(cycle.State(), DisplayState::CardShown);
    EXPECT_FALSE(host.IsRunning(ScanCycle::kResultTimer));

    cycle.OnCommentsClosed();
    EXPECT_FALSE(cycle.IsCommentsOpen());
    EXPECT_EQ(host.events.back(), "start 2 10000");
    host.Advance(9999);
    EXPECT_EQ(cycle.State(), DisplayState::CardShown);
    host.Advance(1);
    EXPECT_EQ(cycle.State(), DisplayState::Ready);
    cycle.OnCommentsClosed(); // a late second report changes nothing
    EXPECT_FALSE(host.IsRunning(ScanCycle::kResultTimer));
}

// A host whose dialog is modal reports the close from inside OpenComments.
TEST_F(ScanCycleTest, ModalCommentsDialogAlsoStartsTheResultTimeAtItsClose) {
    host.logChecked = true;
    host.commentsChecked = true;
    host.onOpenComments = [&] {
        host.Advance(11000);
        cycle.OnCommentsClosed();
    };
    Scan(kExampleSwipe);
    EXPECT_EQ(cycle.State(), DisplayState::CardShown);
    host.Advance(9999);
    EXPECT_EQ(cycle.State(), DisplayState::CardShown);
    host.Advance(1);
    EXPECT_EQ(cycle.State(), DisplayState::Ready);
}

// A reader burst while the dialog is open (routed to the cycle by the station): the verdict under the
// dialog stays, the new card is decoded and shown once the dialog has closed.
TEST_F(ScanCycleTest, SwipeDuringCommentsWaitsForTheDialogAndIsShownAfterIt) {
    host.logChecked = true;
    host.commentsChecked = true;
    Scan(kExampleSwipe);
    const Card* const first = cycle.CurrentCard();
    host.events.clear();
    host.commentsChecked = false;
    Scan(SwipeOf("SECOND$ANN"));
    host.Advance(5000);
    EXPECT_EQ(handedToDecoder.size(), 1u);
    EXPECT_EQ(cycle.CurrentCard(), first);
    EXPECT_EQ(cycle.State(), DisplayState::CardShown);
    EXPECT_EQ(std::count(host.events.begin(), host.events.end(), "repaint"), 0) << "the verdict was blanked";

    cycle.OnCommentsClosed();
    host.Advance(1000);
    ASSERT_EQ(handedToDecoder.size(), 2u);
    EXPECT_EQ(handedToDecoder[1], SwipeOf("SECOND$ANN"));
    ASSERT_NE(cycle.CurrentCard(), nullptr);
    EXPECT_EQ(cycle.CurrentCard()->Name(), "SECOND ANN");
    EXPECT_EQ(cycle.State(), DisplayState::CardShown);
    EXPECT_EQ(cycle.LastResults().size(), 2u);
}

TEST_F(ScanCycleTest, FailureToOpenTheCommentsEndsAsAnUncountedUnknownScan) {
    host.logChecked = true;
    host.commentsChecked = true;
    host.onOpenComments = [] { throw std::runtime_error("no dialog"); };
    Scan(kExampleSwipe);
    EXPECT_EQ(cycle.State(), DisplayState::UnknownCard);
    EXPECT_FALSE(cycle.IsCommentsOpen());
    EXPECT_EQ(cycle.Total(), 0);
}

TEST_F(ScanCycleTest, QuietTickInsideLogScanDoesNotReplaceTheCardBeingLogged) {
    host.logChecked = true;
    const Card* logged = nullptr;
    host.onLogScan = [&] {
        host.onLogScan = nullptr;
        logged = cycle.CurrentCard();
        Type(";2?"); // keys that reach the cycle while LogScan is busy
        host.Advance(5000);
        EXPECT_EQ(cycle.CurrentCard(), logged);
    };
    Scan(kExampleSwipe);
    EXPECT_EQ(handedToDecoder.size(), 1u);
    host.Advance(2000);
    ASSERT_EQ(handedToDecoder.size(), 2u) << "the keys typed meanwhile are decoded afterwards";
    EXPECT_EQ(handedToDecoder[1], ";2?");
}

struct ThrowCase {
    const char* name;
    std::function<void()> raise;
};

void PrintTo(const ThrowCase& row, std::ostream* os) {
    *os << row.name;
}

class ScanCycleThrowTest : public ScanCycleTest, public ::testing::WithParamInterface<ThrowCase> {};

TEST_P(ScanCycleThrowTest, AnyExceptionFromTheDecoderShowsUnknown) {
    decode = [](const std::string&) -> std::unique_ptr<Card> {
        GetParam().raise();
        return nullptr;
    };
    Scan(kExampleSwipe);
    EXPECT_EQ(cycle.State(), DisplayState::UnknownCard);
    EXPECT_EQ(cycle.UnknownCardText(), "Unknown DL");
    EXPECT_TRUE(host.IsRunning(ScanCycle::kUnknownTimer));
    EXPECT_EQ(cycle.CurrentCard(), nullptr);
    EXPECT_TRUE(cycle.SwipeText().empty());
}

TEST_P(ScanCycleThrowTest, AnyExceptionFromLoggingShowsUnknownAndKeepsTheCard) {
    host.logChecked = true;
    host.onLogScan = [] { GetParam().raise(); };
    Scan(kExampleSwipe);
    EXPECT_EQ(cycle.State(), DisplayState::UnknownCard);
    ASSERT_NE(cycle.CurrentCard(), nullptr);
    EXPECT_EQ(cycle.LastResults().size(), 1u);
    EXPECT_EQ(host.events.back(), "repaint");
    EXPECT_EQ(cycle.Total(), 0) << "an unknown scan is not counted";
}

INSTANTIATE_TEST_SUITE_P(Cases, ScanCycleThrowTest,
                         ::testing::Values(ThrowCase{"LogicError", [] { throw std::logic_error("Unknown DL"); }},
                                           ThrowCase{"OutOfRange", [] { throw std::out_of_range("substr"); }},
                                           ThrowCase{"RuntimeError", [] { throw std::runtime_error("disk"); }},
                                           ThrowCase{"BadAlloc", [] { throw std::bad_alloc(); }},
                                           ThrowCase{"Int", [] { throw 42; }}),
                         RowName());

TEST_F(ScanCycleTest, FactoryGivingNoCardShowsUnknown) {
    decode = [](const std::string&) { return std::unique_ptr<Card>(); };
    Scan(kExampleSwipe);
    EXPECT_EQ(cycle.State(), DisplayState::UnknownCard);
    EXPECT_EQ(cycle.CurrentCard(), nullptr);
    EXPECT_TRUE(cycle.LastResults().empty());
}

struct CountCase {
    const char* name;
    const char* track2; // expiry YYMM and birth date CCYYMMDD; the scans are made on 10 Mar 2007
    std::int32_t validAge;
    bool countValidOnly;
    int counted;
};

void PrintTo(const CountCase& row, std::ostream* os) {
    *os << row.name;
}

class ScanCycleCountTest : public ScanCycleTest, public ::testing::WithParamInterface<CountCase> {};

// The total follows the counting rule at the decode, once per scan, whatever is painted afterwards.
TEST_P(ScanCycleCountTest, CountsEachDecodedCardOnceByTheRule) {
    const CountCase& c = GetParam();
    host.validAge = c.validAge;
    host.countValidOnly = c.countValidOnly;
    const std::string swipe = std::string("%CASACRAMENTO^DOE$JOHN$Q^123 MAIN ST^?;6360141234567=") + c.track2 +
                              "?#0295814      C               1508150BRNBLU?";
    Scan(swipe);
    ASSERT_EQ(cycle.State(), DisplayState::CardShown);
    EXPECT_EQ(cycle.Total(), c.counted);
    host.Advance(10000);
    Scan(kUndecodable);
    EXPECT_EQ(cycle.Total(), c.counted) << "the result's end and an unknown scan count nothing";
    Scan(swipe);
    EXPECT_EQ(cycle.Total(), 2 * c.counted);
}

INSTANTIATE_TEST_SUITE_P(Cases, ScanCycleCountTest,
                         ::testing::Values(CountCase{"OfAgeValidOptionOn", "08121980061500", 21, true, 1},
                                           CountCase{"ExactlyValidAgeOptionOn", "08121986031000", 21, true, 1},
                                           CountCase{"DayBeforeValidAgeOptionOn", "08121986031100", 21, true, 0},
                                           CountCase{"UnderAgeOptionOff", "08121990061500", 21, false, 1},
                                           CountCase{"ExpiredOptionOn", "06121980061500", 21, true, 0},
                                           CountCase{"ExpiredOptionOff", "06121980061500", 21, false, 1},
                                           CountCase{"ValidAgeReadAtTheDecode", "08121990061500", 16, true, 1}),
                         RowName());

TEST_F(ScanCycleTest, OtherTimerIdsAndStrayTicksDoNothing) {
    cycle.OnTimer(7);
    cycle.OnTimer(ScanCycle::kResultTimer);
    cycle.OnTimer(ScanCycle::kUnknownTimer);
    cycle.OnTimer(ScanCycle::kQuietTimer);
    EXPECT_TRUE(host.events.empty());
    EXPECT_EQ(cycle.State(), DisplayState::Ready);
}

// The station's own factory: real decoding, and the unknown-swipe file in the configured log folder.
TEST(ScanCycleDefaultFactory, DecodesWithTheCardDecoder) {
    const TempSettings settings;
    MagneticStripeCards::UnknownSwipeFile unknownFile;
    const MagneticStripeCards::ScopedUnknownScanSink sink(&unknownFile);
    FakeScanHost host;
    ScanCycle cycle(host);
    host.Attach(cycle);
    for (const char* swipe : {kExampleSwipe, kUndecodable}) {
        for (const char c : std::string(swipe))
            cycle.OnKey(ReaderKey{static_cast<unsigned char>(c), false});
        cycle.OnKey(ReaderKey{U'\r', false});
        host.Advance(1000);
        if (swipe == kExampleSwipe) {
            ASSERT_EQ(cycle.State(), DisplayState::CardShown);
            EXPECT_EQ(cycle.CurrentCard()->Name(), "DOE JOHN Q");
        }
    }
    EXPECT_EQ(cycle.State(), DisplayState::UnknownCard);
    std::ifstream unknown(settings.LogFolder() / "unknowndl.txt", std::ios::binary);
    const std::string written((std::istreambuf_iterator<char>(unknown)), std::istreambuf_iterator<char>());
    EXPECT_EQ(written, std::string(kUndecodable) + "\n\n");
}

// ---- mobile licences: an "mdoc:" scan is a phone's engagement

// The QR text of the ISO/IEC 18013-5 Annex D example (tests/data/mdl/annex-d/qr_engagement.txt).
const char kEngagementText[] = "mdoc:owBjMS4wAYIB2BhYS6QBAiABIVggWojRgrzl9C76WZQ_MzWdLoqWj_KJ2T5fpES2JDQxZ_"
                               "4iWCCxboz4WN3HaQQHumHUwzgjeoz8895qpnL8YKVXqjL8ZwKBgwIBowD0AfULUEXv73QrLEg3qaOw4dBaaRc";

MobileResult Verified21Plus() {
    MobileResult result;
    result.shown.colour = ShownMobile::Colour::Green;
    result.shown.headline = "21+";
    result.shown.word = "OK";
    result.shown.line = "Mobile licence, verified: US-UT";
    result.logRow = "\"row\"";
    result.resultLine = "Mobile licence: 21+ (UT)";
    result.verified = true;
    result.ok = true;
    return result;
}

TEST_F(ScanCycleTest, AnEngagementScanShowsConnectingBeforeTheSessionStarts) {
    Scan(kEngagementText);
    EXPECT_EQ(cycle.State(), DisplayState::MobileConnecting);
    ASSERT_EQ(host.mobileTexts.size(), 1u);
    EXPECT_EQ(host.mobileTexts.front().rfind(kEngagementText, 0), 0u);
    const auto paint = std::find(host.events.begin(), host.events.end(), "paint now");
    const auto start = std::find(host.events.begin(), host.events.end(), "mobile start");
    EXPECT_LT(paint, start) << "\"Phone: connecting...\" is on the screen before the session runs";
    EXPECT_TRUE(host.logCalls.empty()) << "no card was decoded";
}

TEST_F(ScanCycleTest, AVerifiedPhoneIsShownLoggedCountedAndClearedAfterTenSeconds) {
    host.logChecked = true;
    Scan(kEngagementText);
    cycle.OnMobileResult(Verified21Plus());
    EXPECT_EQ(cycle.State(), DisplayState::MobileShown);
    ASSERT_NE(cycle.CurrentMobile(), nullptr);
    EXPECT_EQ(cycle.CurrentMobile()->headline, "21+");
    EXPECT_EQ(host.mobileRows, std::vector<std::string>{"\"row\""});
    EXPECT_EQ(cycle.LastResults().front(), "Mobile licence: 21+ (UT)");
    EXPECT_EQ(cycle.Total(), 1);
    host.Advance(ScanCycle::kResultPeriodMs);
    EXPECT_EQ(cycle.State(), DisplayState::Ready);
}

TEST_F(ScanCycleTest, ANotVerifiedPhoneIsShownButNeitherLoggedNorCounted) {
    host.logChecked = true;
    Scan(kEngagementText);
    MobileResult failed;
    failed.shown.headline = "NOT VERIFIED";
    failed.resultLine = "Mobile licence: NOT VERIFIED";
    cycle.OnMobileResult(failed);
    EXPECT_EQ(cycle.State(), DisplayState::MobileShown);
    EXPECT_TRUE(host.mobileRows.empty());
    EXPECT_EQ(cycle.Total(), 0);
}

// Every session that ends with a result is the venue's event, verified or not, stored after its log row and
// before its verdict is painted, as a card's is; a cancelled one leaves none.
TEST_F(ScanCycleTest, APhonesResultIsRecordedForTheVenueBeforeItIsPainted) {
    host.logChecked = true;
    Scan(kEngagementText);
    host.events.clear();
    cycle.OnMobileResult(Verified21Plus());
    const std::vector<std::string> order{"log mobile", "venue mobile", "start 2 10000", "repaint"};
    EXPECT_EQ(host.events, order);

    host.Advance(ScanCycle::kResultPeriodMs);
    Scan(kEngagementText);
    MobileResult failed;
    failed.shown.headline = "NOT VERIFIED";
    cycle.OnMobileResult(failed);
    ASSERT_EQ(host.mobileVenue.size(), 2u);
    EXPECT_FALSE(host.mobileVenue.back().verified);

    host.Advance(ScanCycle::kResultPeriodMs);
    Scan(kEngagementText);
    cycle.CancelMobile();
    cycle.OnMobileResult(Verified21Plus());
    EXPECT_EQ(host.mobileVenue.size(), 2u);
}

TEST_F(ScanCycleTest, ANewScanOrEscEndsThePhonesSessionAndALateResultIsDropped) {
    Scan(kEngagementText);
    Type("%");
    EXPECT_EQ(std::count(host.events.begin(), host.events.end(), "mobile cancel"), 1);
    cycle.OnMobileResult(Verified21Plus());
    EXPECT_NE(cycle.State(), DisplayState::MobileShown);

    host.Advance(2000);
    Scan(kEngagementText);
    cycle.CancelMobile();
    EXPECT_EQ(cycle.State(), DisplayState::Ready);
    EXPECT_EQ(std::count(host.events.begin(), host.events.end(), "mobile cancel"), 2);
    cycle.OnMobileResult(Verified21Plus());
    EXPECT_EQ(cycle.State(), DisplayState::Ready);
}

} // namespace
