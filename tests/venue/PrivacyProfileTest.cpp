#include "FakeLogPrompts.h"
#include "TempHive.h"
#include "VenueTestFiles.h"

#include "Card.h"
#include "CardFields.h"
#include "Clock.h"
#include "EmbeddedStore.h"
#include "PrivacyProfile.h"
#include "ScanLogger.h"
#include "ScanRecorder.h"
#include "UnknownSwipeFile.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <set>

namespace {

using MagneticStripeCards::Card;
using MagneticStripeCards::CardFields;

const MagneticStripeCards::FixedClock kClock(2026, 3, 10, 14, 5, 33);

std::vector<std::string> CsvFields(const std::string& row) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < row.size(); ++i) {
        const char c = row[i];
        if (c == '"' && quoted && i + 1 < row.size() && row[i + 1] == '"')
            fields.back() += row[++i];
        else if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted)
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

struct ProfileCase {
    std::string name;
    std::string profile; // "" : no value in the hive
    std::uint32_t logPersonalData;
    std::set<int> keptColumns; // -1: every column
};

const std::set<int> kEvery{-1};
const std::set<int> kNonPersonal{0, 2, 3, 4, 10, 17, 18};

class ProfileRowTest : public ::testing::TestWithParam<ProfileCase> {
protected:
    void SetUp() override {
        std::vector<TempHive::Value> values{{"Log Folder", hive.Dir()},
                                            {"Log Name", std::string("Door")},
                                            {"Log Number", std::uint32_t{3}},
                                            {"Log Personal Data", GetParam().logPersonalData}};
        if (!GetParam().profile.empty())
            values.push_back({"Privacy Profile", GetParam().profile});
        hive.Write(values);
    }
    TempHive hive;
};

// Every log column keeps its value exactly where the profile and "Log Personal Data" both allow it.
TEST_P(ProfileRowTest, LogRowKeepsOnlyTheFieldsBothAllow) {
    const Card card(CardScan("aamva/expired_yesterday.txt"), kClock);
    const std::vector<std::string> columns = CsvFields(ScanLogger::CardRow(card));
    ASSERT_EQ(columns.size(), static_cast<std::size_t>(MagneticStripeCards::kLogColumns));
    const auto& kept = GetParam().keptColumns;
    for (const auto& field : CardFields()) {
        if (field.logColumn == MagneticStripeCards::kNoLogColumn)
            continue;
        const bool keep = kept.count(-1) || kept.count(field.logColumn);
        const std::string expected = keep ? MagneticStripeCards::FieldText(field.read(card)) : std::string();
        EXPECT_EQ(columns[static_cast<std::size_t>(field.logColumn)], expected)
            << "column " << field.logColumn << " (" << (field.key ? field.key : "date/time") << ")";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Profiles, ProfileRowTest,
    ::testing::Values(ProfileCase{"absent_is_full", "", 1, kEvery}, ProfileCase{"full", "full", 1, kEvery},
                      ProfileCase{"full_without_personal_data", "full", 0, kNonPersonal},
                      ProfileCase{"minimal", "minimal", 1, kNonPersonal},
                      ProfileCase{"name_and_number", "name-and-number", 1, {0, 1, 9, 17, 18}},
                      ProfileCase{"name_and_number_without_personal_data", "name-and-number", 0, {0, 17, 18}},
                      ProfileCase{"no_retention", "no-retention", 1, {}},
                      ProfileCase{"unknown_profile_is_no_retention", "keep-it-all", 1, {}}),
    [](const auto& row) { return row.param.name; });

class NoRetentionTest : public ::testing::Test {
protected:
    void SetUp() override {
        hive.Write({{"Log Folder", hive.Dir() + "/logs"},
                    {"Log Name", std::string("Door")},
                    {"Log Number", std::uint32_t{3}},
                    {"Privacy Profile", std::string("no-retention")}});
    }
    TempHive hive;
};

TEST_F(NoRetentionTest, NoCsvRowAndNoUnknownScanAreWritten) {
    const Card card(CardScan("aamva/expired_yesterday.txt"), kClock);
    FakeLogPrompts prompts;
    ScanLogger logger(kClock, prompts, "3");
    EXPECT_EQ(logger.WriteRow(ScanLogger::CardRow(card), true), LogFileWriter::Result::Written);
    EXPECT_EQ(logger.AddComments(",\"a\",\"b\""), LogFileWriter::Result::Written);
    MagneticStripeCards::UnknownSwipeFile::Append("%NOT A CARD BUT SOMEONE'S DATA?");
    EXPECT_FALSE(std::filesystem::exists(hive.Dir() + "/logs")) << "something was written to the log folder";
}

TEST_F(NoRetentionTest, OtherProfilesStillWriteTheirRows) {
    hive.Write({{"Log Folder", hive.Dir() + "/logs"},
                {"Log Name", std::string("Door")},
                {"Log Number", std::uint32_t{3}},
                {"Privacy Profile", std::string("minimal")}});
    const Card card(CardScan("aamva/expired_yesterday.txt"), kClock);
    FakeLogPrompts prompts;
    ScanLogger logger(kClock, prompts, "3");
    EXPECT_EQ(logger.WriteRow(ScanLogger::CardRow(card), false), LogFileWriter::Result::Written);
    MagneticStripeCards::UnknownSwipeFile::Append("%UNREADABLE?");
    EXPECT_TRUE(std::filesystem::exists(hive.Dir() + "/logs/unknowndl.txt"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(hive.Dir() + "/logs"), {}), 2);
}

// The venue store never holds the holder's name, address, licence number or birth date, whatever the
// profile; the identity only where the profile keeps one.
TEST(VenueStorePrivacyTest, ForbiddenFieldsNeverReachTheDatabaseFile) {
    for (const auto kind : {PrivacyProfile::Kind::Full, PrivacyProfile::Kind::NameAndNumber,
                            PrivacyProfile::Kind::Minimal, PrivacyProfile::Kind::NoRetention}) {
        const TempHive hive;
        const std::string path = hive.Dir() + "/venue.db";
        const Card card(CardScan("aamva/expired_yesterday.txt"), kClock);
        const Venue::IdentityKey key = TestKey();
        std::string identity;
        {
            Venue::EmbeddedStore store(path);
            Venue::ListCache lists;
            Venue::RepeatWindow repeats;
            Venue::VenueConfig config;
            config.venue = "north";
            config.station = "door-1";
            Venue::ScanRecorder recorder(config, &store, lists, repeats, [] { return Venue::Micros{1}; });
            const auto outcome =
                recorder.Record(Venue::DoorFacts::OfCard(card, Venue::Verdict::Expired, &key), {kind, true});
            ASSERT_TRUE(outcome.stored) << outcome.storeError;
            identity = key.IdentityOf(card);
        }
        std::string bytes;
        for (const char* suffix : {"", "-wal"})
            bytes += ReadBytes(path + suffix);
        const std::string name = PrivacyProfile::Name(kind).data();
        for (const std::string& forbidden : {card.DlNumber(), std::string("MORALES"), std::string("ISABEL"),
                                             card.Address(), card.BirthDate(), card.BirthDateIso(), card.PostalCode()})
            EXPECT_EQ(bytes.find(forbidden), std::string::npos) << name << ": " << forbidden;
        EXPECT_EQ(bytes.find(identity) != std::string::npos, kind != PrivacyProfile::Kind::NoRetention) << name;
    }
}

TEST(PrivacyProfileTest, ListEntriesKeepNamesAndBirthDatesOnlyWhereAllowed) {
    using Kind = PrivacyProfile::Kind;
    EXPECT_TRUE(PrivacyProfile(Kind::Full, true).KeepsBirthDate());
    EXPECT_FALSE(PrivacyProfile(Kind::Full, false).KeepsDisplayName());
    EXPECT_TRUE(PrivacyProfile(Kind::NameAndNumber, true).KeepsDisplayName());
    EXPECT_FALSE(PrivacyProfile(Kind::NameAndNumber, true).KeepsBirthDate());
    EXPECT_FALSE(PrivacyProfile(Kind::Minimal, true).KeepsDisplayName());
    EXPECT_FALSE(PrivacyProfile(Kind::NoRetention, true).KeepsDisplayName());
}

} // namespace
