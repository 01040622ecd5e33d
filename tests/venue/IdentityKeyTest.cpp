#include "TempHive.h"
#include "VenueTestFiles.h"

#include "Card.h"
#include "Clock.h"
#include "IdentityKey.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

using Venue::Hex;
using Venue::IdentityKey;

// printf '%s\0%s\0%s' kestrin-id-v1 IIN NUMBER | openssl mac -digest SHA256 -macopt hexkey:0001..1f HMAC
struct Vector {
    const char* iin;
    const char* number;
    const char* mac;
};
constexpr Vector kVectors[] = {
    {"636015", "12345678", "ae13ee3c59bd13f66dcb9b07adc49e7b86f3b26ff94c13cc935ea30b0ab415a0"},
    {"636014", "D1234567", "b7b728a088994ba505dda2ab4c1a8e76162e4a75ae67cbda98b4ca9977d78247"},
    {"604428", "L1234567890123", "3aaf55886bba8e115400a0246e11a67d1948f3796536218d426fae6dc4021b8a"},
};

TEST(IdentityKeyTest, MatchesTheOpensslVectors) {
    const IdentityKey key = TestKey();
    for (const Vector& v : kVectors)
        EXPECT_EQ(Hex(key.Identity(v.iin, v.number)), v.mac) << v.iin << " " << v.number;
}

TEST(IdentityKeyTest, AnotherKeyGivesAnotherIdentity) {
    const std::string other = *Venue::FromHex("ffeeddccbbaa99887766554433221100ffeeddccbbaa99887766554433221100");
    EXPECT_EQ(Hex(IdentityKey(other, 1).Identity("636015", "12345678")),
              "bac984a8a2cd6b124e03640cc3b618606ebd48f19ee751455c95a7fff674bd3f");
}

// Punctuation and case as a reader or a clerk may type them make no other person.
TEST(IdentityKeyTest, NumbersAreNormalisedBeforeKeying) {
    const IdentityKey key = TestKey();
    EXPECT_EQ(key.Identity("636014", "d123-45 67"), key.Identity("636014", "D1234567"));
    EXPECT_EQ(IdentityKey::NormalisedNumber(" a-1.b/2 "), "A1B2");
    EXPECT_TRUE(key.Identity("636014", "--").empty());
    EXPECT_TRUE(key.Identity("", "D1234567").empty());
}

// A stripe and a barcode card: the card's own issuer number, as the vectors were made.
TEST(IdentityKeyTest, CardsAreKeyedByIssuerAndNumber) {
    const MagneticStripeCards::FixedClock clock(2026, 3, 10, 14, 5, 33);
    const IdentityKey key = TestKey();
    const MagneticStripeCards::Card stripe(CardScan("stripe/non_expiring.txt"), clock);
    EXPECT_EQ(Hex(key.IdentityOf(stripe)), "4a4a981cce7432e4a379fbc3767104fbe33a2b23e8ff60ddd1cbd6ccb4aa1f49");
    const MagneticStripeCards::Card barcode(CardScan("aamva/expired_yesterday.txt"), clock);
    EXPECT_EQ(Hex(key.IdentityOf(barcode)), "d0057e4cd25257253681b0d568c7a44918189a179f2a7df243e9935028dafc2f");
    // Typed in without the card: the jurisdiction's issuer number gives the same identity.
    EXPECT_EQ(key.Identity(IdentityKey::IinOfState("CA"), "F4821556"), key.IdentityOf(barcode));
}

// A Californian stripe writes the licence's letter as two digits; the barcode of the same card has the
// letter. Both must be one person.
TEST(IdentityKeyTest, StripeAndBarcodeOfOneCardAreOnePerson) {
    struct Case {
        const char* state;
        const char* stripe;
        const char* expected;
    };
    for (const Case& c : {Case{"CA", "041234567", "D1234567"}, Case{"CA", "261234567", "Z1234567"},
                          Case{"CA", "271234567", "271234567"}, Case{"CA", "00123456", "00123456"},
                          Case{"CA", "D1234567", "D1234567"}, Case{"TX", "041234567", "041234567"}})
        EXPECT_EQ(IdentityKey::BarcodeFormOfStripeNumber(c.state, c.stripe), c.expected) << c.state << " " << c.stripe;
    const MagneticStripeCards::FixedClock clock(2007, 3, 10, 14, 5, 33);
    const MagneticStripeCards::Card stripe(
        "%CASACRAMENTO^DOE$JOHN$Q^123 MAIN ST^?;636014041234567=08121980061500?#0295814      C               "
        "1508150BRNBLU?",
        clock);
    ASSERT_EQ(stripe.DlNumber(), "041234567");
    const IdentityKey key = TestKey();
    EXPECT_EQ(key.IdentityOf(stripe), key.Identity("636014", "D1234567"));
}

TEST(IdentityKeyTest, KeyFileIsMadeOnceWithGroupReadOnly) {
    const TempHive hive;
    const std::string path = hive.Dir() + "/venue.key";
    std::string error;
    ASSERT_TRUE(IdentityKey::Create(path, error)) << error;
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(info.st_size, 32);
    const auto loaded = IdentityKey::Load(path, error);
    ASSERT_TRUE(loaded) << error;
    const std::string before = ReadBytes(path);
    EXPECT_FALSE(IdentityKey::Create(path, error));
    EXPECT_NE(error.find("exists already"), std::string::npos);
    EXPECT_EQ(ReadBytes(path), before);
}

TEST(IdentityKeyTest, KeyFilesOfTheWrongSizeAreRefused) {
    const TempHive hive;
    for (const std::string& content : {std::string(31, 'k'), std::string(33, 'k'), std::string()}) {
        const std::string path = hive.Dir() + "/bad.key";
        std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
        std::string error;
        EXPECT_FALSE(IdentityKey::Load(path, error)) << content.size();
        EXPECT_NE(error.find("32 bytes"), std::string::npos) << error;
    }
    std::string error;
    EXPECT_FALSE(IdentityKey::Load(hive.Dir() + "/missing.key", error));
}

} // namespace
