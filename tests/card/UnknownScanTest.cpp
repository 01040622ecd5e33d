// Scans the decoder cannot read: each is rejected with "Unknown DL" (std::logic_error or its subclass
// std::out_of_range) after the matcher's subject at that moment has been handed to the unknown-scan sink.

#include "Card.h"
#include "RowName.h"
#include "TestArea.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>

namespace {

using MagneticStripeCards::Card;
using MagneticStripeCards::FixedClock;

const std::string kTrack3 = "0295814      C               1508150BRNBLU";

struct UnknownCase {
    const char* name;
    std::string scan;
    std::string fileContent; // what the unknown-swipe file holds afterwards
    bool outOfRange = false; // std::out_of_range rather than the plain "Unknown DL" logic_error
};

class RejectsScan : public ::testing::TestWithParam<UnknownCase> {};

TEST_P(RejectsScan, AppendsTheSubjectAndThrows) {
    const UnknownCase& c = GetParam();
    CardTests::RemoveUnknownFile();
    const FixedClock clock(2007, 3, 10, 14, 5, 33);
    try {
        const Card card(c.scan, clock);
        FAIL() << "decoded";
    } catch (const std::out_of_range&) {
        EXPECT_TRUE(c.outOfRange);
    } catch (const std::logic_error& error) {
        EXPECT_FALSE(c.outOfRange);
        EXPECT_STREQ(error.what(), "Unknown DL");
    }
    EXPECT_EQ(CardTests::ReadUnknownFile(), c.fileContent);
}

std::string Repeat(const std::string& unit, std::size_t bytes) {
    std::string s;
    while (s.size() < bytes)
        s += unit;
    return s;
}

const std::string kAamvaHeader = "@\n\x1e\nANSI 636014100102DL00410278DL";

std::string EveryByte() {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    return all;
}

std::string EveryByteButCarriageReturn() {
    std::string all = EveryByte();
    all.erase(all.find('\r'), 1);
    return all;
}

const std::string kBarcodeWithoutDbk =
    "@\nANSI 636014DLDAQD1234567\nDAADOE,JOHN,Q\nDAG123 MAIN ST\nDAHAPT 5\nDAISACRAMENTO\nDAJCA\nDAK95814\nDARC\n"
    "DASNONE\nDATNONE\nDAU508\nDAW150\nDBA20081215\nDBB19800615\nDBC1\nDBD20040115\nDBHN\nDBJ00001\n";
const std::string kBarcodeBadBirth =
    "@\nANSI 636014DLDAQD1234567\nDAADOE,JOHN,Q\nDAG123 MAIN ST\nDAHAPT 5\nDAISACRAMENTO\nDAJCA\nDAK95814\nDARC\n"
    "DASNONE\nDATNONE\nDAU508\nDAW150\nDBA20081215\nDBB1980AB15\nDBC1\nDBD20040115\nDBHN\nDBJ00001\nDBK0\n";

INSTANTIATE_TEST_SUITE_P(
    Card, RejectsScan,
    ::testing::Values(
        UnknownCase{"empty_scan_has_no_first_character", "", "\n\n", true}, UnknownCase{"one_character", "x", "x\n\n"},
        UnknownCase{"only_carriage_returns", "\r\r", "\n\n", true},
        UnknownCase{"leading_characters_before_track1",
                    "x%CASACRAMENTO^DOE$JOHN$Q^123 MAIN ST^?;6360141234567=08121980061500?#" + kTrack3 + "?",
                    "x%CASACRAMENTO^DOE$JOHN$Q^123 MAIN ST^?;6360141234567=08121980061500?#" + kTrack3 + "?\n\n"},
        UnknownCase{"carriage_returns_not_written", "ab\r\ncd\r", "ab\ncd\n\n"},
        UnknownCase{"nul_bytes_inside", std::string("a\0b", 3), std::string("a\0b\n\n", 5)},
        UnknownCase{"track2_without_birth_part_writes_track2", ";6360141234567=0812?", "6360141234567=0812\n\n", true},
        UnknownCase{"track2_without_dates_writes_track2", ";636014123?", "636014123\n\n", true},
        UnknownCase{"barcode_missing_dbk", kBarcodeWithoutDbk, kBarcodeWithoutDbk + "\n\n", true},
        UnknownCase{"barcode_birth_date_not_numeric", kBarcodeBadBirth, kBarcodeBadBirth + "\n\n"},
        UnknownCase{"barcode_of_one_character", "@", "@\n\n", true},
        UnknownCase{"megabyte_of_letters", Repeat("ABCDEFGHIJ", 1 << 20), Repeat("ABCDEFGHIJ", 1 << 20) + "\n\n"},
        UnknownCase{"megabyte_of_question_marks_and_semicolons", Repeat(";?", 1 << 20).substr(0, 1 << 20),
                    Repeat(";?", 1 << 20).substr(1, (1 << 20) - 2) + "\n\n", true},
        UnknownCase{"megabyte_starting_with_percent", "%" + Repeat("?;", 1 << 20),
                    "%" + Repeat("?;", 1 << 20) + "\n\n"},
        // Splits into tracks (track 2 is the last "?#%;" that still leaves a track 3) and fails on its dates.
        UnknownCase{"repeated_sentinels", Repeat("%;?#", 100000), "?#%;\n\n", true},
        UnknownCase{"megabyte_of_daq_after_an_aamva_header", kAamvaHeader + Repeat("DAQ", 1 << 20),
                    kAamvaHeader + Repeat("DAQ", 1 << 20) + "\n\n"},
        UnknownCase{"aamva_header_and_every_byte_value", kAamvaHeader + EveryByte(),
                    kAamvaHeader + EveryByteButCarriageReturn() + "\n\n"},
        // Track 1 must hold a character: "%?" makes track 1 reach into the next track, which breaks the split.
        UnknownCase{"empty_track1", "%?;6360141234567=08121980061500?#" + kTrack3 + "?",
                    "%?;6360141234567=08121980061500?#" + kTrack3 + "?\n\n"}),
    RowName());

TEST(RejectsScan, EverySingleByteIsDecodedOrRejected) {
    const FixedClock clock(2007, 3, 10);
    for (int b = 0; b < 256; ++b) {
        const std::string scan(1, static_cast<char>(b));
        EXPECT_THROW(Card(scan, clock), std::logic_error) << b;
    }
}

TEST(RejectsScan, EveryByteValueInsideATrackIsHandled) {
    const FixedClock clock(2007, 3, 10);
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    // Inside track 1 every byte is just text; the card decodes.
    std::string text;
    for (const char c : all)
        if (c != '\r' && c != '?')
            text += c;
    const std::string swipe = "%CA" + text + "^DOE$JOHN^1 A ST^?;6360141234567=08121980061500?#" + kTrack3 + "?";
    const Card card(swipe, clock);
    EXPECT_EQ(card.Age(), 26);
    EXPECT_THROW(Card(all, clock), std::logic_error);
}

} // namespace

namespace {

// A clock whose second reading fails: the barcode path reads the clock again for the age, so a failure
// there happens in the middle of decoding, where only the logic-error family may leave the constructor.
struct FailingSecondReading : MagneticStripeCards::Clock {
    mutable int calls = 0;
    std::tm LocalNow() const override {
        if (++calls == 2)
            throw std::bad_alloc();
        return MagneticStripeCards::FixedClock(2007, 3, 10).LocalNow();
    }
};

TEST(RejectsScan, AnyOtherFailureInsideDecodingBecomesUnknownDl) {
    CardTests::RemoveUnknownFile();
    const std::string barcode =
        "@\nDAQX\nDAAA\nDAGB\nDAHC\nDAID\nDAJE\nDAKF\nDASG\nDAUH\nDAWI\nDBA20080101\nDBB19800615\nDBC1\nDATJ\n"
        "DARK\nDBDL\nDBHM\nDBJN\nDBKO\n";
    const FailingSecondReading clock;
    try {
        const Card card(barcode, clock);
        FAIL() << "decoded";
    } catch (const std::out_of_range&) {
        FAIL() << "out_of_range";
    } catch (const std::logic_error& error) {
        EXPECT_STREQ(error.what(), "Unknown DL");
    }
    EXPECT_EQ(clock.calls, 2);
    EXPECT_EQ(CardTests::ReadUnknownFile(), barcode + "\n\n");
}

} // namespace
