// A door killed (SIGKILL) with events waiting in its outbox, the server out of reach meanwhile: after
// the restart, now with the server, every event the door recorded reaches it once. The door is the
// station's own venue code (VenueDesk: embedded store, outbox, sync worker) in a child process.
#include "VenueDeskDb.h"

#include "Card.h"

#include <sys/wait.h>

#include <csignal>

namespace {

using namespace std::chrono_literals;

constexpr int kScans = 60;

class StationKilledTest : public VenueDeskDbTest {
protected:
    std::unique_ptr<Venue::VenueDesk> Door(const std::string& database) const { return Desk("a", "front", {database}); }
};

// In the child: records the scans with no server reachable, says so on the pipe, and waits to be killed.
[[noreturn]] void DoorWithoutServer(const std::unique_ptr<Venue::VenueDesk>& desk, int done) {
    const MagneticStripeCards::Card card(CardScan("stripe/non_expiring.txt"));
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
            DoorWithoutServer(Door("host=127.0.0.1 port=1 dbname=x user=x"), pipeFds[1]);
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

    auto restarted = Door(ConnInfo("a"));
    ASSERT_TRUE(restarted->Trouble().empty()) << restarted->Trouble();
    ASSERT_TRUE(WaitFor([&] { return Count("SELECT count(*) FROM kestrin.scan_event") >= kScans; }, 15s));
    std::this_thread::sleep_for(500ms); // a second upload of the same rows would land by now
    EXPECT_EQ(Count("SELECT count(*) FROM kestrin.scan_event"), kScans);
    EXPECT_EQ(Count("SELECT count(DISTINCT id) FROM kestrin.scan_event WHERE station = 'front'"), kScans);
    ASSERT_TRUE(WaitFor([&] { return restarted->Sync() && restarted->Sync()->connected; }, 5s));
}

} // namespace
