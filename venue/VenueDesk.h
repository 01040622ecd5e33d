#pragma once
// The venue as the station's window sees it: one object that holds the embedded store, the identity key,
// the in-memory lists (kept in step by a ListWatcher thread), the repeat window and the scan recorder, and
// remembers the last scan for the Venue menu.
//
//   scan cycle --> RecordCard / RecordUnknown / RecordMobile (event stored before the paint)
//              --> LastOutcome --> display
//   Venue menu --> AddForLastCard (entry stored and held at this door at once) / Lift / Entries
//   with "Venue Database": SyncWorker (its own thread and store connection) uploads the outbox, woken
//   after every write here, and brings the server's lists into the store, where the ListWatcher finds them;
//   it also reads the venue's inside count (kept here in a VenueInside, with this door's rows since) and
//   the other doors' scans (noted in the repeat window)
//
// Nothing here throws: a store or key that cannot be opened leaves the door working on verdicts alone
// and says why in Trouble().

#include "EmbeddedStore.h"
#include "IdentityKey.h"
#include "ListCache.h"
#include "ListWatcher.h"
#include "RepeatWindow.h"
#include "ScanRecorder.h"
#include "SyncWorker.h"
#include "VenueInside.h"

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace Venue {

// What the operator chose for a new entry.
struct EntryRequest {
    ListKind list = ListKind::Banned;
    Reason reason = Reason::Other;
    std::string until; // YYYY-MM-DD, the last day the entry holds
    std::string note;
    Scope scope = Scope::Venue;
};

class VenueDesk {
public:
    // Opens the embedded store at `storePath` (with an outbox when the config names a server) and the key
    // at the config's key file.
    // `keepDays` ("Keep Days") > 0: older scan events lose their identity.
    VenueDesk(VenueConfig config, const std::string& storePath, ScanRecorder::NowFunction now, int keepDays = 0);
    ~VenueDesk();
    VenueDesk(const VenueDesk&) = delete;
    VenueDesk& operator=(const VenueDesk&) = delete;

    // From the hive, with the store next to it.
    static std::unique_ptr<VenueDesk> FromSettings();

    const DoorOutcome& RecordCard(const MagneticStripeCards::Card& card, Verdict verdict);
    const DoorOutcome& RecordUnknown();
    // A phone's mobile licence (DoorFacts::OfMobile); it cannot be put on a list.
    const DoorOutcome& RecordMobile(bool verified, bool ofAge, const std::string& state);
    // The outcome of the last scan, if any.
    const std::optional<DoorOutcome>& LastOutcome() const { return m_last; }
    // The last scan was a card with an identity, so it can be put on a list.
    bool HasLastCard() const { return !m_lastIdentity.empty(); }
    // Cards go unmatched against lists that exist: no key, while there are entries or a server that may
    // bring some. A door that has never had lists is not nagged about them.
    bool MissesLists() const { return !m_key && (!m_config.database.empty() || !m_lists.All().empty()); }
    // Who the last card names, for the dialog's title (only where the profile keeps names).
    const std::string& LastCardName() const { return m_lastName; }

    // One person in (+1, by hand) or out (-1) at this door, stored as a door count (a local commit, like
    // a scan's event). The time it was counted at; `stored` false when the store could not keep it.
    Micros RecordDoorCount(int delta, bool& stored);

    // Puts the last card on a list; the entry's id, or nothing with `error` saying why.
    std::optional<std::string> AddForLastCard(const EntryRequest& request, std::string& error);
    bool Lift(const std::string& id, const std::string& reason, std::string& error);
    std::vector<ListEntry> Entries() const { return m_lists.All(); }

    // How many are inside over all the venue's doors, for the night holding `now`: nothing without a
    // server or before its first reading of that night (the door's own count stands in then).
    std::optional<std::int64_t> VenueInsideCount(Micros now) const;
    // Called on the sync worker's thread when that count changes, and when the link to the server comes
    // or goes (with a new clock reading): what the door shows of the venue. A Qt caller re-posts it.
    void OnVenueCount(std::function<void()> changed);

    // The link to the server, when there is one: connected or not, last upload, last error.
    std::optional<SyncStatus> Sync() const;
    // The server's clock minus this station's (microseconds), once measured at a connect.
    std::optional<std::int64_t> ClockOffset() const;

    // Why the venue works only in part (no store, no key); empty when all is well.
    const std::string& Trouble() const { return m_trouble; }
    const VenueConfig& Config() const { return m_config; }
    // The repeat window, which the sync also feeds with the other doors' scans.
    RepeatWindow& Repeats() { return m_repeats; }

private:
    std::string CreatedBy() const;
    const DoorOutcome& RecordWithoutIdentity(const DoorFacts& facts);
    void TakeCount(const VenueCount& count);
    void Changed();
    void NoteLocal(std::uint64_t mark, Micros at, int delta);
    void StartSync(const std::string& storePath);
    void Wake();

    VenueConfig m_config;
    ScanRecorder::NowFunction m_now;
    std::unique_ptr<EmbeddedStore> m_store;
    std::optional<IdentityKey> m_key;
    ListCache m_lists;
    RepeatWindow m_repeats;
    std::unique_ptr<ListWatcher> m_watcher;
    std::unique_ptr<ScanRecorder> m_recorder;
    CommitMark m_mark;
    mutable std::mutex m_insideMutex; // the worker's readings meet the door's rows
    VenueInside m_inside;
    std::optional<std::int64_t> m_lastCount;
    std::function<void()> m_countChanged;
    std::unique_ptr<EmbeddedStore> m_syncStore; // the worker's own connection, outlives the worker
    std::unique_ptr<SyncWorker> m_sync;
    std::optional<DoorOutcome> m_last;
    std::string m_lastIdentity;
    std::string m_lastName;
    std::string m_lastBirthDate;
    std::string m_trouble;
};

} // namespace Venue
