// The texts a card renders: the log row with its quoting and date columns, the 24-character time form,
// month names.

#include "CardText.h"
#include "Card.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <tuple>

namespace {

using MagneticStripeCards::AscTime24;
using MagneticStripeCards::Card;
using MagneticStripeCards::FixedClock;

const std::string kSwipe = "%CASACRAMENTO^DOE$JOHN$Q^123 MAIN ST^?;6360141234567=08121980061500?#0295814      C"
                           "               1508150BRNBLU?";

TEST(LogRow, HasNineteenQuotedFieldsInHeaderOrder) {
    const Card card(kSwipe, FixedClock(2007, 3, 10, 14, 5, 33));
    EXPECT_EQ(card.LogRow(), "\"Sat Mar 10 14:05:33 2007\",\"DOE JOHN Q\",\"26\",\"MALE\",\"CA\",\"SACRAMENTO\","
                             "\"123 MAIN ST\",\"95814\",\"6/15/1980\",\"1234567\",\"12/15/2008\",\"636014\",\"\","
                             "\"508\",\"150\",\"BRN\",\"BLU\",\"3/10/2007\",\"14:5:33\"");
}

TEST(LogRow, WithoutPersonalDataKeepsOnlyTheVerdictColumns) {
    const Card card(kSwipe, FixedClock(2007, 3, 10, 14, 5, 33));
    EXPECT_EQ(card.LogRow(false), "\"Sat Mar 10 14:05:33 2007\",\"\",\"26\",\"MALE\",\"CA\",\"\",\"\",\"\",\"\",\"\","
                                  "\"12/15/2008\",\"\",\"\",\"\",\"\",\"\",\"\",\"3/10/2007\",\"14:5:33\"");
}

TEST(LogRow, DateAndTimeColumnsAreUnpaddedAndTheFirstColumnZeroPadded) {
    const Card card(kSwipe, FixedClock(2005, 1, 2, 9, 5, 3));
    const std::string row = card.LogRow();
    EXPECT_EQ(row.substr(0, 27), "\"Sun Jan 02 09:05:03 2005\",");
    const std::string tail = ",\"1/2/2005\",\"9:5:3\"";
    ASSERT_GE(row.size(), tail.size());
    EXPECT_EQ(row.substr(row.size() - tail.size()), tail);
}

TEST(LogRow, QuoteInsideAFieldIsDoubledAndCommaKept) {
    const std::string barcode =
        "@\nANSI 636014DLDAQD1234567\nDAADOE\"X\",JOHN\nDAG1 \"A\" ST,X\nDAHAPT 5\nDAISACRAMENTO\nDAJCA\nDAK95814\n"
        "DARC\nDASNONE\nDATNONE\nDAU508\nDAW150\nDBA20081215\nDBB19800615\nDBC1\nDBD20040115\nDBHN\nDBJ00001\nDBK0\n";
    const Card card(barcode, FixedClock(2007, 3, 10, 14, 5, 33));
    const std::string row = card.LogRow();
    EXPECT_EQ(row.substr(0, 50), "\"Sat Mar 10 14:05:33 2007\",\"DOE\"\"X\"\" JOHN\",\"26\",\"M");
    EXPECT_NE(row.find(",\"1 \"\"A\"\" ST,X APT 5\","), std::string::npos) << row;
}

TEST(CsvField, QuotesEveryQuoteAndGuardsAFormula) {
    const struct {
        std::string field;
        std::string quoted;
    } cases[] = {
        {"", "\"\""},
        {"DOE", "\"DOE\""},
        {"\"", "\"\"\"\""},
        {"\"\"", "\"\"\"\"\"\""},
        {"\"A", "\"\"\"A\""},
        {"A\"", "\"A\"\"\""},
        {"A\"B\"C", "\"A\"\"B\"\"C\""},
        {"=1+2", "\"'=1+2\""},
        {"=\"x\"", "\"'=\"\"x\"\"\""},
        {"-1", "\"-1\""},
    };
    for (const auto& c : cases) {
        std::string row = "x,";
        MagneticStripeCards::CardText::AppendCsvField(row, c.field);
        EXPECT_EQ(row, "x," + c.quoted) << c.field;
    }
}

TEST(AscTime24, ValuesNoClockGivesKeepTheirPrintedForm) {
    // A clock's reading with the fields a clock never gives written over it.
    const auto tm = [](int year, int month, int day, int hour, int minute, int second, int weekday) {
        std::tm t = FixedClock(2007, 6, 15).LocalNow();
        std::tie(t.tm_year, t.tm_mon, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, t.tm_wday) =
            std::make_tuple(year - 1900, month - 1, day, hour, minute, second, weekday);
        return t;
    };
    EXPECT_EQ(AscTime24(tm(1000, 1, 1, 0, 0, 0, 0)), "Sun Jan 01 00:00:00 1000");
    EXPECT_EQ(AscTime24(tm(9999, 12, 9, 9, 9, 60, 6)), "Sat Dec 09 09:09:60 9999");
    EXPECT_EQ(AscTime24(tm(999, 13, 1, 0, 0, 0, 7)), "??? ??? 01 00:00:00 999");
    EXPECT_EQ(AscTime24(tm(10000, 1, 1, 0, 0, 0, 1)), "Mon Jan 01 00:00:00 10000");
    EXPECT_EQ(AscTime24(tm(2007, 0, -1, 100, 5, 3, -1)), "??? ??? -1 100:05:03 2007");
}

TEST(AscTime24, ZeroPadsTheDay) {
    EXPECT_EQ(AscTime24(FixedClock(2005, 1, 2, 9, 5, 3).LocalNow()), "Sun Jan 02 09:05:03 2005");
    EXPECT_EQ(AscTime24(FixedClock(2007, 12, 31, 23, 59, 59).LocalNow()), "Mon Dec 31 23:59:59 2007");
    EXPECT_EQ(AscTime24(FixedClock(2005, 1, 2).LocalNow()).size(), 24U);
}

TEST(MonthName, ThreeLetterAbbreviationsAndEmptyOutsideTheYear) {
    const char* const expected[] = {"",    "Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                    "Jul", "Aug", "Sep", "Oct", "Nov", "Dec", ""};
    for (int month = 0; month <= 13; ++month)
        EXPECT_EQ(Card::MonthName(month), expected[month]) << month;
    EXPECT_EQ(Card::MonthName(-1), "");
    EXPECT_EQ(Card::MonthName(77), "");
}

TEST(ExpirationText, EmptyWhenNothingWasWritten) {
    const std::string barcode =
        "@\nDAQX\nDAAA\nDAGB\nDAHC\nDAID\nDAJE\nDAKF\nDASG\nDAUH\nDAWI\nDBA2008AB15\nDBB19800615\nDBC1\nDATJ\nDARK\n"
        "DBDL\nDBHM\nDBJN\nDBKO\n";
    const Card card(barcode, FixedClock(2007, 3, 10));
    EXPECT_EQ(card.ExpirationText(), "");
    EXPECT_TRUE(card.Expired());
}

} // namespace
