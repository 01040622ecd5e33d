// Decoding of whole scans: track splitting, the field rules, dates, age and expiry, as of a fixed local
// time (2007-03-10 14:05:33 unless a row says otherwise).

#include "Card.h"
#include "CardFields.h"
#include "RowName.h"
#include "TestArea.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

using MagneticStripeCards::Card;
using MagneticStripeCards::FixedClock;

const std::string kTrack1 = "CASACRAMENTO^DOE$JOHN$Q^123 MAIN ST^";
const std::string kTrack2 = "6360141234567=08121980061500";
const std::string kTrack3 = "0295814      C               1508150BRNBLU";

std::string Swipe(const std::string& t1, const std::string& t2, const std::string& t3, char start3 = '#') {
    return "%" + t1 + "?;" + t2 + "?" + start3 + t3 + "?";
}
std::string Track2Swipe(const std::string& t2) {
    return Swipe(kTrack1, t2, kTrack3);
}
std::string Track1Swipe(const std::string& t1) {
    return Swipe(t1, kTrack2, kTrack3);
}
std::string Track3Swipe(const std::string& t3) {
    return Swipe(kTrack1, kTrack2, t3);
}

// The barcode example: one element per line, each line ended by a line feed.
std::string Barcode(const std::map<std::string, std::string>& changes = {}, const std::string& start = "@") {
    const std::vector<std::pair<std::string, std::string>> lines = {
        {"ANSI 636014DL", ""}, {"DAQ", "D1234567"},   {"DAA", "DOE,JOHN,Q"}, {"DAG", "123 MAIN ST"},
        {"DAH", "APT 5"},      {"DAI", "SACRAMENTO"}, {"DAJ", "CA"},         {"DAK", "95814"},
        {"DAR", "C"},          {"DAS", "NONE"},       {"DAT", "NONE"},       {"DAU", "508"},
        {"DAW", "150"},        {"DBA", "20081215"},   {"DBB", "19800615"},   {"DBC", "1"},
        {"DBD", "20040115"},   {"DBH", "N"},          {"DBJ", "00001"},      {"DBK", "000000000"}};
    std::string text = start + "\n";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto& [id, value] = lines[i];
        if (i == 0) {
            text += id; // the header line carries DAQ straight after it
            continue;
        }
        const auto change = changes.find(id);
        if (change != changes.end() && change->second == "<absent>")
            continue;
        text += id + (change != changes.end() ? change->second : value) + "\n";
    }
    return text;
}

// A field by its key in the card's table of fields; track1-3 are the three tracks.
std::string Field(const Card& card, const std::string& key) {
    if (key.size() == 6 && key.compare(0, 5, "track") == 0 && key[5] >= '1' && key[5] <= '3')
        return card.Tracks()[static_cast<std::size_t>(key[5] - '1')];
    const MagneticStripeCards::CardField* field = MagneticStripeCards::FindCardField(key);
    if (field == nullptr) {
        ADD_FAILURE() << "no field " << key;
        return {};
    }
    return MagneticStripeCards::FieldText(field->read(card));
}

struct DecodeCase {
    const char* name;
    std::string scan;
    std::map<std::string, std::string> expected;
    FixedClock clock{2007, 3, 10, 14, 5, 33};
};

class Decodes : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(Decodes, AsStated) {
    const DecodeCase& c = GetParam();
    CardTests::RemoveUnknownFile();
    const Card card(c.scan, c.clock);
    for (const auto& [key, value] : c.expected)
        EXPECT_EQ(Field(card, key), value) << key;
    EXPECT_EQ(CardTests::ReadUnknownFile(), "<missing>");
}

const std::map<std::string, std::string> kExampleCard = {{"track1", kTrack1},
                                                         {"track2", kTrack2},
                                                         {"track3", kTrack3},
                                                         {"state", "CA"},
                                                         {"city", "SACRAMENTO"},
                                                         {"name", "DOE JOHN Q"},
                                                         {"address", "123 MAIN ST"},
                                                         {"isoIin", "636014"},
                                                         {"dlNumber", "1234567"},
                                                         {"expirationDate", "12/15/2008"},
                                                         {"expirationText", "Dec-15-2008"},
                                                         {"birthDate", "6/15/1980"},
                                                         {"age", "26"},
                                                         {"expired", "false"},
                                                         {"postalCode", "95814"},
                                                         {"restrictions", ""},
                                                         {"sex", "MALE"},
                                                         {"height", "508"},
                                                         {"weight", "150"},
                                                         {"hairColor", "BRN"},
                                                         {"eyeColor", "BLU"},
                                                         {"displayName", "Doe John Q"},
                                                         {"resultLine", "14:05:33 - Doe John Q, 26 years"},
                                                         {"scanTime", "Sat Mar 10 14:05:33 2007"}};

const std::map<std::string, std::string> kNoTrack3 = {{"postalCode", ""}, {"restrictions", ""}, {"sex", ""},
                                                      {"height", ""},     {"weight", ""},       {"hairColor", ""},
                                                      {"eyeColor", ""}};

std::map<std::string, std::string> With(std::map<std::string, std::string> base,
                                        const std::map<std::string, std::string>& changes) {
    for (const auto& [key, value] : changes)
        base[key] = value;
    return base;
}

INSTANTIATE_TEST_SUITE_P(
    TrackSplitting, Decodes,
    ::testing::Values(
        DecodeCase{"three_tracks_track3_starts_with_hash", Swipe(kTrack1, kTrack2, kTrack3), kExampleCard},
        DecodeCase{"three_tracks_track3_starts_with_percent", Swipe(kTrack1, kTrack2, kTrack3, '%'), kExampleCard},
        DecodeCase{"carriage_returns_removed_everywhere",
                   "\r%CASACRAMENTO^DOE$JOHN$Q^123 MA\rIN ST^?\r\n;6360141234567=08121980061500?#0295814      C    "
                   "           1508150BRNBLU?\r",
                   {{"track1", kTrack1}, {"track3", kTrack3}, {"address", "123 MAIN ST"}, {"age", "26"}}},
        DecodeCase{"line_feeds_stay",
                   Swipe("CA\nSACRAMENTO^DOE$JOHN$Q^123 MAIN ST^", kTrack2, kTrack3),
                   {{"track1", "CA\nSACRAMENTO^DOE$JOHN$Q^123 MAIN ST^"}, {"city", "\nSACRAMENTO"}}},
        DecodeCase{"track2_only", ";" + kTrack2 + "?",
                   With(kNoTrack3, {{"track1", ""},
                                    {"track2", kTrack2},
                                    {"track3", ""},
                                    {"state", ""},
                                    {"city", ""},
                                    {"name", ""},
                                    {"address", ""},
                                    {"dlNumber", "1234567"},
                                    {"age", "26"},
                                    {"expired", "false"},
                                    {"expirationText", "Dec-15-2008"},
                                    {"resultLine", "14:05:33 - N/A, 26 years"}})},
        DecodeCase{"tracks_2_and_3_without_track1_split_greedily", ";" + kTrack2 + "?%" + kTrack3 + "?",
                   With(kNoTrack3, {{"track2", kTrack2 + "?%" + kTrack3}, {"dlNumber", "123456700"}, {"track3", ""}})},
        DecodeCase{"several_question_marks_extend_track3_to_the_last",
                   Swipe(kTrack1, kTrack2, kTrack3) + "junk?",
                   {{"track3", kTrack3 + "?junk"}, {"postalCode", "95814"}}}),
    RowName());

INSTANTIATE_TEST_SUITE_P(
    Track1Rules, Decodes,
    ::testing::Values(
        DecodeCase{"no_address_city_takes_up_to_last_non_word",
                   Track1Swipe("CASACRAMENTO^DOE$JOHN^"),
                   {{"state", "CA"}, {"city", "SACRAMENTO^DOE$JOHN"}, {"name", "DOE JOHN"}, {"address", ""}}},
        DecodeCase{"comma_name_and_dollar_in_address",
                   Track1Swipe("NYNEW YORK^SMITH,JANE^12 W 4TH ST$APT 5^"),
                   {{"state", "NY"},
                    {"city", "NEW YORK"},
                    {"name", "SMITH,JANE"},
                    {"address", "12 W 4TH ST APT 5"},
                    {"displayName", "Smith Jane"}}},
        DecodeCase{"apostrophe_name_title_case",
                   Track1Swipe("CASACRAMENTO^O'NEIL$MARY^1 A ST^"),
                   {{"name", "O'NEIL MARY"}, {"displayName", "O'neil Mary"}}},
        DecodeCase{"trailing_comma_name",
                   Track1Swipe("CASACRAMENTO^DOE,JOHN,^1 A ST^"),
                   {{"name", "DOE,JOHN,"}, {"displayName", "Doe John"}}},
        DecodeCase{"address_comma_becomes_space",
                   Track1Swipe("CASACRAMENTO^DOE$JOHN^1 A ST,APT 2^"),
                   {{"address", "1 A ST APT 2"}}},
        DecodeCase{"name_of_spaces_shows_na",
                   Track1Swipe("CASACRAMENTO^$ $^1 A ST^"),
                   {{"name", ""}, {"displayName", ""}, {"resultLine", "14:05:33 - N/A, 26 years"}}},
        DecodeCase{"one_character_track1_leaves_its_fields_empty",
                   Track1Swipe("C"),
                   {{"track1", "C"}, {"state", ""}, {"city", ""}, {"name", ""}, {"address", ""}}}),
    RowName());

INSTANTIATE_TEST_SUITE_P(
    Track2Rules, Decodes,
    ::testing::Values(
        DecodeCase{"overflow_digits_before_a_non_digit",
                   Track2Swipe("6360141234567=0812198006150012345X"),
                   {{"dlNumber", "12345670012345"}, {"isoIin", "636014"}}},
        DecodeCase{"birthday_today", Track2Swipe("6360141234567=081219890310"), {{"age", "18"}}},
        DecodeCase{"birthday_tomorrow", Track2Swipe("6360141234567=081219890311"), {{"age", "17"}}},
        DecodeCase{"expires_this_month",
                   Track2Swipe("6360141234567=070319800615"),
                   {{"expired", "false"}, {"expirationText", "Mar-15-2007"}}},
        DecodeCase{"expired_last_month",
                   Track2Swipe("6360141234567=070219800615"),
                   {{"expired", "true"}, {"expirationDate", "2/15/2007"}}},
        DecodeCase{"code_77_non_expiring",
                   Track2Swipe("6360141234567=707719800615"),
                   {{"expirationDate", "NON-EXPIRING"}, {"expired", "false"}, {"expirationText", "Jan-15-2035"}}},
        DecodeCase{"code_77_expired_after_2035",
                   Track2Swipe("6360141234567=707719800615"),
                   {{"expired", "true"}},
                   FixedClock{2036, 1, 1}},
        DecodeCase{"code_88_first_of_birth_month",
                   Track2Swipe("6360141234567=088819800615"),
                   {{"expirationDate", "6/01/2008"}, {"expirationText", "Jun-1-2008"}, {"expired", "false"}}},
        DecodeCase{"code_99_birthday",
                   Track2Swipe("6360141234567=089919800615"),
                   {{"expirationDate", "6/15/2008"}, {"expirationText", "Jun-15-2008"}}},
        DecodeCase{"birth_month_13_takes_expiry_month",
                   Track2Swipe("6360141234567=080619801315"),
                   {{"birthDate", "6/15/1980"}, {"age", "26"}}},
        DecodeCase{"expiry_year_69_is_2069",
                   Track2Swipe("6360141234567=691219800615"),
                   {{"expirationDate", "12/15/2069"}, {"expired", "false"}}},
        DecodeCase{"expiry_year_70_is_1970",
                   Track2Swipe("6360141234567=701219800615"),
                   {{"expirationDate", "12/15/1970"}, {"expired", "true"}}},
        DecodeCase{"birth_year_in_the_future_gives_negative_age",
                   Track2Swipe("6360141234567=081220100101"),
                   {{"age", "-3"}, {"resultLine", "14:05:33 - Doe John Q, -3 years"}}}),
    RowName());

INSTANTIATE_TEST_SUITE_P(
    Track3Rules, Decodes,
    ::testing::Values(
        DecodeCase{"track3_of_30_characters",
                   Track3Swipe(kTrack3.substr(0, 30)),
                   {{"postalCode", "95814"},
                    {"restrictions", ""},
                    {"sex", "MALE"},
                    {"height", ""},
                    {"weight", ""},
                    {"hairColor", ""},
                    {"eyeColor", ""}}},
        DecodeCase{"track3_ends_inside_height",
                   Track3Swipe(kTrack3.substr(0, 31)),
                   {{"sex", "MALE"}, {"height", "5"}, {"weight", ""}}},
        DecodeCase{"track3_too_short_for_restrictions",
                   Track3Swipe("02958"),
                   {{"postalCode", "958"}, {"restrictions", ""}, {"sex", ""}}},
        DecodeCase{"restrictions_trimmed",
                   Track3Swipe("0295814      C  B ONLY       1508150BRNBLU"),
                   {{"restrictions", "B ONLY"}}},
        DecodeCase{"lower_case_m_is_male", Track3Swipe(kTrack3.substr(0, 29) + "m508150BRNBLU"), {{"sex", "MALE"}}},
        DecodeCase{"f_is_female", Track3Swipe(kTrack3.substr(0, 29) + "f508150BRNBLU"), {{"sex", "FEMALE"}}},
        DecodeCase{"two_is_female", Track3Swipe(kTrack3.substr(0, 29) + "2508150BRNBLU"), {{"sex", "FEMALE"}}},
        DecodeCase{"other_sex_code_left_empty",
                   Track3Swipe(kTrack3.substr(0, 29) + "X508150BRNBLU"),
                   {{"sex", ""}, {"height", "508"}}}),
    RowName());

INSTANTIATE_TEST_SUITE_P(
    BarcodeRules, Decodes,
    ::testing::Values(
        DecodeCase{"barcode_example",
                   Barcode(),
                   {{"dlNumber", "D1234567"},
                    {"name", "DOE JOHN Q"},
                    {"address", "123 MAIN ST APT 5"},
                    {"city", "SACRAMENTO"},
                    {"state", "CA"},
                    {"postalCode", "95814"},
                    {"restrictions", "NONE"},
                    {"height", "508"},
                    {"weight", "150"},
                    {"expirationDate", "12/15/2008"},
                    {"expirationText", "Dec-15-2008"},
                    {"birthDate", "06/15/1980"},
                    {"sex", "MALE"},
                    {"age", "26"},
                    {"expired", "false"},
                    {"track1", ""},
                    {"track2", ""},
                    {"track3", ""},
                    {"isoIin", ""},
                    {"hairColor", ""},
                    {"eyeColor", ""}}},
        DecodeCase{"barcode_starting_with_a_quote", Barcode({}, "\""), {{"dlNumber", "D1234567"}, {"age", "26"}}},
        DecodeCase{"barcode_with_percent_and_semicolon",
                   Barcode({{"DAS", ";%NONE?"}}),
                   {{"restrictions", ";%NONE?"}, {"track2", ""}}},
        DecodeCase{"barcode_values_trimmed",
                   Barcode({{"DAI", "  SACRAMENTO \t"}, {"DAH", " APT 5 "}}),
                   {{"city", "SACRAMENTO"}, {"address", "123 MAIN ST  APT 5"}}},
        DecodeCase{"barcode_lower_case_m_is_female", Barcode({{"DBC", "m"}}), {{"sex", "FEMALE"}}},
        DecodeCase{"barcode_empty_sex_is_female", Barcode({{"DBC", ""}}), {{"sex", "FEMALE"}}},
        DecodeCase{"barcode_sex_m", Barcode({{"DBC", " M "}}), {{"sex", "MALE"}}},
        DecodeCase{"barcode_name_trailing_comma_kept_as_space",
                   Barcode({{"DAA", "DOE,JOHN,"}}),
                   {{"name", "DOE JOHN "}, {"displayName", "Doe John"}}},
        DecodeCase{"barcode_name_separators", Barcode({{"DAA", " DOE@JOHN;Q^X "}}), {{"name", "DOE JOHN Q X"}}},
        DecodeCase{"barcode_expiry_august",
                   Barcode({{"DBA", "20080815"}}),
                   {{"expirationDate", "08/15/2008"}, {"expirationText", "Aug-15-2008"}, {"expired", "false"}}},
        DecodeCase{"barcode_expiry_not_numeric",
                   Barcode({{"DBA", "2008AB15"}}),
                   {{"expirationDate", "AB/15/2008"}, {"expirationText", ""}, {"expired", "true"}}},
        DecodeCase{"barcode_expiry_short_value",
                   Barcode({{"DBA", "2008"}}),
                   {{"expirationDate", "//2008"}, {"expirationText", ""}, {"expired", "true"}}},
        DecodeCase{
            "barcode_expiry_empty_value", Barcode({{"DBA", ""}}), {{"expirationDate", "//"}, {"expired", "true"}}},
        DecodeCase{"barcode_expired_last_month", Barcode({{"DBA", "20070215"}}), {{"expired", "true"}}},
        DecodeCase{"barcode_expires_this_month", Barcode({{"DBA", "20070301"}}), {{"expired", "false"}}},
        DecodeCase{"barcode_birthday_tomorrow", Barcode({{"DBB", "19890311"}}), {{"age", "17"}}},
        DecodeCase{"barcode_element_without_line_feed_is_skipped",
                   Barcode({{"DBB", "<absent>"}}) + "DBB19890310",
                   {{"age", "0"}, {"birthDate", ""}, {"expirationDate", "12/15/2008"}}}),
    RowName());

TEST(Decodes, BarcodeTakesTheScanTimeAgainForTheAge) {
    struct TwoTimes : MagneticStripeCards::Clock {
        mutable int calls = 0;
        std::tm LocalNow() const override {
            ++calls;
            return calls == 1 ? FixedClock(2007, 6, 14, 23, 59, 59).LocalNow()
                              : FixedClock(2007, 6, 15, 0, 0, 1).LocalNow();
        }
    } clock;
    const Card card(Barcode(), clock);
    EXPECT_EQ(clock.calls, 2);
    EXPECT_EQ(card.Age(), 27); // the birthday arrived between the two readings
    EXPECT_EQ(MagneticStripeCards::AscTime24(card.ScanTime()), "Fri Jun 15 00:00:01 2007");
}

} // namespace

namespace {

// The day ComesOfAgeOn names is the first on which the card's age reaches the valid age: the age there is
// the valid age, the day before one less.
struct ComingOfAge {
    const char* name;
    std::string birth; // CCYYMMDD on track 2
    int validAge;
    std::string due; // ISO, or empty for none
};

class ComesOfAge : public ::testing::TestWithParam<ComingOfAge> {};

TEST_P(ComesOfAge, OnTheFirstDayTheAgeRuleAllows) {
    const ComingOfAge& c = GetParam();
    const std::string swipe = Track2Swipe("6360141234567=2912" + c.birth);
    const auto due = Card(swipe, FixedClock(2007, 3, 10)).ComesOfAgeOn(c.validAge);
    ASSERT_EQ(due ? MagneticStripeCards::CardDates::Iso(*due) : "", c.due);
    if (!due)
        return;
    std::tm dayBefore{};
    dayBefore.tm_year = due->year - 1900;
    dayBefore.tm_mon = due->month - 1;
    dayBefore.tm_mday = due->day - 1; // normalised by the clock
    EXPECT_EQ(Card(swipe, FixedClock(due->year, due->month, due->day)).Age(), c.validAge);
    EXPECT_EQ(Card(swipe, FixedClock(dayBefore)).Age(), c.validAge - 1);
}

INSTANTIATE_TEST_SUITE_P(Card, ComesOfAge,
                         ::testing::Values(ComingOfAge{"ordinary_birthday", "19800615", 21, "2001-06-15"},
                                           ComingOfAge{"first_of_january", "19900101", 18, "2008-01-01"},
                                           ComingOfAge{"leap_day_in_a_common_year", "20080229", 21, "2029-03-01"},
                                           ComingOfAge{"leap_day_in_a_leap_year", "20080229", 20, "2028-02-29"},
                                           ComingOfAge{"no_real_birth_date", "19900532", 21, ""},
                                           ComingOfAge{"negative_valid_age", "19800615", -1, ""}),
                         RowName());

} // namespace
