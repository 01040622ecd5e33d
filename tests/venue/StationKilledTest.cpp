// A door killed (SIGKILL) with events waiting in its outbox, the server out of reach meanwhile: after
// the restart, now with the server, every event the door recorded reaches it once. The door is the
// station's own venue code (VenueDesk: embedded store, outbox, sync worker) in a child process.
#include "VenueDb.h"

#include "Card.h"
#include "VenueDesk.h"
#include "VenueTime.h"

#include <sys/wait.h>

#include <csignal>
#include <fstream>
#include <iterator>

namespace {

using namespace std::chrono_literals;

constexpr int kScans = 60;

class StationKilledTest : public VenueDbTest {
protected:
    void SetUp() override {
        VenueDbTest::SetUp();
        if (IsSkipped())
            return;
        char pattern[] = "/tmp/kkill-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_folder = pattern;
        std::string error;
        ASSERT_TRUE(Venue::IdentityKey::Create(m_folder + "/venue.key", error)) << error;
    }
    void TearDown() override {
        if (!m_folder.empty())
            std::filesystem::remove_all(m_folder);
    }
    std::unique_ptr<Venue::VenueDesk> Desk(const std::string& database) const {
        Venue::VenueConfig config;
        config.database = database;
        config.venue = "a";
        config.station = "front";
        config.keyFile = m_folder + "/venue.key";
        return std::make_unique<Venue::VenueDesk>(config, m_folder + "/venue.db", Venue::NowMicros);
    }
    std::string m_folder;
};

// In the child: records the scans with no server reachable, says so on the pipe, and waits to be killed.
[[noreturn]] void DoorWithoutServer(const std::unique_ptr<Venue::VenueDesk>& desk, int done) {
    std::ifstream in(std::string(KESTRIN_TEST_DATA) + "/card/stripe/non_expiring.txt", std::ios::binary);
    const MagneticStripeCards::Card card(std::string{std::istreambuf_iterator<char>(in), {}});
    for (int i = 0; i < kScans; ++i)
        desk->RecordCard(card, Venue::Verdict::Ok);
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(done, &byte, 1);
    for (;;)
        ::pause();
}

TEST_F(StationKilledTest, EventsWaitingAtAKilledDoorGoUpOnceAfterItsRestart) {
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(pipeFds[0]);
        // Port 1 on loopback: refused at once, so the worker keeps trying and the outbox keeps growing.
        // The child never returns into the test runner (nor runs its exit handlers, which own the cluster).
        try {
            DoorWithoutServer(Desk("host=127.0.0.1 port=1 dbname=x user=x"), pipeFds[1]);
        } catch (...) {
            ::_exit(1);
        }
    }
    ::close(pipeFds[1]);
    char byte = 0;
    const bool recorded = ::read(pipeFds[0], &byte, 1) == 1;
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(pipeFds[0]);
    ASSERT_TRUE(recorded) << "the door died before recording its scans";
    ASSERT_TRUE(WIFSIGNALED(status));

    auto restarted = Desk(ConnInfo("a"));
    ASSERT_TRUE(restarted->Trouble().empty()) << restarted->Trouble();
    ASSERT_TRUE(WaitFor([&] { return Count("SELECT count(*) FROM kestrin.scan_event") >= kScans; }, 15s));
    std::this_thread::sleep_for(500ms); // a second upload of the same rows would land by now
    EXPECT_EQ(Count("SELECT count(*) FROM kestrin.scan_event"), kScans);
    EXPECT_EQ(Count("SELECT count(DISTINCT id) FROM kestrin.scan_event WHERE station = 'front'"), kScans);
    ASSERT_TRUE(WaitFor([&] { return restarted->Sync() && restarted->Sync()->connected; }, 5s));
}

} // namespace
