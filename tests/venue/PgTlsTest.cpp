// Doors over TLS with sslmode=verify-full and a client certificate each (CN doorN.<venue role>, mapped to
// the role by the server), with a PKI made in the test by the openssl command line, on a cluster of its
// own (its pg_hba admits certificate logins only). Refusals must leave a door offline, never crashed.

#include "MemorySyncStore.h"
#include "SyncWorker.h"
#include "VenueDb.h"

namespace {

using namespace std::chrono_literals;

class PgTlsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!PgCluster::Available())
            return;
        cluster = std::make_unique<PgCluster>();
        auto admin = cluster->Admin();
        Venue::PgFailure failure;
        ASSERT_TRUE(Venue::PgSchema::Init(*admin, true, &failure)) << failure.message;
        ASSERT_TRUE(Venue::PgSchema::AddVenue(*admin, "a", "g1", "venue_a", &failure)) << failure.message;
        ASSERT_TRUE(Venue::PgSchema::AddVenue(*admin, "b", "g1", "venue_b", &failure)) << failure.message;
        cluster->EnableTls("door1.venue_a door2.venue_a door1.venue_b -- door9.venue_a");
    }
    static void TearDownTestSuite() { cluster.reset(); }
    void SetUp() override {
        if (!cluster)
            GTEST_SKIP() << "PostgreSQL server binaries (initdb, pg_ctl) are not installed";
    }

    // `host` is what the certificate is checked against; the address is always loopback.
    static std::string ConnInfo(const std::string& user, const std::string& cn, const std::string& host = "localhost") {
        const std::string pki = cluster->Dir() + "/pki/";
        std::string info = "host=" + host + " hostaddr=127.0.0.1 port=" + std::to_string(cluster->Port()) +
                           " dbname=postgres user=" + user + " sslmode=verify-full sslrootcert=" + pki + "ca.crt";
        if (!cn.empty())
            info += " sslcert=" + pki + cn + ".crt sslkey=" + pki + cn + ".key";
        return info;
    }
    static std::string Refusal(const std::string& conninfo) {
        Venue::PgFailure failure;
        auto conn = Venue::PgConnection::Connect(conninfo, Venue::Clock::now() + 10s, &failure);
        return conn ? std::string() : failure.message;
    }

    static std::unique_ptr<PgCluster> cluster;
};

std::unique_ptr<PgCluster> PgTlsTest::cluster;

TEST_F(PgTlsTest, EachDoorLogsInWithItsOwnCertificateAsItsVenue) {
    for (const char* cn : {"door1.venue_a", "door2.venue_a"}) {
        Venue::PgFailure failure;
        auto conn = Venue::PgConnection::Connect(ConnInfo("venue_a", cn), Venue::Clock::now() + 10s, &failure);
        ASSERT_TRUE(conn) << cn << ": " << failure.message;
        auto r = conn->Exec("SELECT current_user || ' ' || ssl::text FROM pg_stat_ssl WHERE pid = pg_backend_pid()",
                            Venue::Clock::now() + 10s, &failure);
        ASSERT_TRUE(r) << failure.message;
        EXPECT_EQ(r->Text(0, 0), "venue_a true");
    }
}

TEST_F(PgTlsTest, RevokedWrongOrMissingCertificateAndWrongServerNameAreRefused) {
    const struct {
        const char* name;
        std::string conninfo;
        const char* cause;
    } cases[] = {
        {"venue b's certificate as venue a", ConnInfo("venue_a", "door1.venue_b"), "certificate authentication failed"},
        {"no certificate", ConnInfo("venue_a", ""), "requires a valid client certificate"},
        {"revoked door", ConnInfo("venue_a", "door9.venue_a"), "certificate revoked"},
        {"server name not in its certificate", ConnInfo("venue_a", "door1.venue_a", "kestrin.invalid"),
         "does not match host name"},
    };
    for (const auto& c : cases) {
        const std::string refusal = Refusal(c.conninfo);
        EXPECT_NE(refusal.find(c.cause), std::string::npos) << c.name << ": " << refusal;
    }
}

TEST_F(PgTlsTest, SyncWorkerUploadsOverTlsAndStaysOfflineWhenRefused) {
    Venue::MemorySyncStore good;
    Venue::MemorySyncStore refused;
    good.Add(TestScan("a", "door1", 1780000000000000));
    refused.Add(TestScan("a", "door9", 1780000000000000));
    Venue::SyncWorker door(Venue::SyncOptions{ConnInfo("venue_a", "door1.venue_a"), "door1"}, good, good);
    Venue::SyncWorker forged(Venue::SyncOptions{ConnInfo("venue_a", "door1.venue_b"), "door9"}, refused, refused);
    door.Start();
    forged.Start();
    auto entry = TestEntry(Venue::ListKind::Banned, Venue::Scope::Venue, "a", '\x41');
    good.Add(entry);
    EXPECT_TRUE(WaitFor([&] { return good.WaitingCount() == 0; }, 10s));
    // Who made it: the venue's login and the door's own certificate.
    EXPECT_TRUE(WaitFor(
        [&] { return good.Entries().at(entry.id).createdBy.find("/CN=door1.venue_a") != std::string::npos; }, 5s))
        << good.Entries().at(entry.id).createdBy;
    std::this_thread::sleep_for(1s);
    EXPECT_FALSE(forged.Status().connected);
    EXPECT_NE(forged.Status().lastError.find("certificate"), std::string::npos) << forged.Status().lastError;
    EXPECT_EQ(refused.WaitingCount(), 1);
}

} // namespace
