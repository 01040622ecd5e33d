#include "VenueDesk.h"

#include "Card.h"
#include "Settings.h"
#include "VenueError.h"
#include "VenueTime.h"

#include <algorithm>
#include <cstdio>
#include <pwd.h>
#include <unistd.h>

namespace Venue {
namespace {

std::string Account() {
    if (const passwd* entry = ::getpwuid(::geteuid()))
        return entry->pw_name;
    return std::to_string(::geteuid());
}

void Report(const std::string& trouble) {
    std::fprintf(stderr, "kestrin: %s\n", trouble.c_str());
}

} // namespace

VenueDesk::VenueDesk(VenueConfig config, const std::string& storePath, ScanRecorder::NowFunction now, int keepDays)
    : m_config(std::move(config)), m_now(std::move(now)) {
    try {
        m_store = std::make_unique<EmbeddedStore>(storePath, !m_config.database.empty());
        m_lists.Replace(m_store->AllEntries());
        m_watcher = std::make_unique<ListWatcher>(storePath, m_lists, std::function<void()>(), keepDays);
    } catch (const std::exception& e) {
        m_trouble = std::string("the venue store cannot be opened: ") + e.what();
        Report(m_trouble);
    }
    std::string error;
    m_key = IdentityKey::Load(m_config.keyFile, error);
    if (!m_key) {
        const std::string trouble = "no list matching: " + error;
        m_trouble = m_trouble.empty() ? trouble : m_trouble + "; " + trouble;
        Report(trouble);
    }
    m_recorder = std::make_unique<ScanRecorder>(m_config, m_store.get(), m_lists, m_repeats, m_now);
    if (m_store && !m_config.database.empty())
        StartSync(storePath);
}

void VenueDesk::StartSync(const std::string& storePath) {
    try {
        m_syncStore = std::make_unique<EmbeddedStore>(storePath, true);
        SyncOptions options;
        options.conninfo = m_config.database;
        options.station = m_config.station;
        options.venue = m_config.venue;
        options.dayStartHour = m_config.dayStartHour;
        options.mark = &m_mark;
        options.onCount = [this](const VenueCount& count) { TakeCount(count); };
        options.repeatMinutes = m_config.repeatMinutes;
        options.onScans = [this](const std::vector<RemoteScan>& scans) {
            for (const RemoteScan& scan : scans)
                m_repeats.Note(scan.idHmac, scan.scannedAt, scan.station, m_config.repeatMinutes);
        };
        m_sync = std::make_unique<SyncWorker>(options, *m_syncStore, *m_syncStore);
        m_sync->OnChange([this](const SyncStatus&) { Changed(); });
        m_sync->Start();
    } catch (const std::exception& e) {
        m_sync.reset();
        m_syncStore.reset();
        m_trouble = std::string("no link to the venue server: ") + e.what();
        Report(m_trouble);
    }
}

void VenueDesk::Wake() {
    if (m_sync)
        m_sync->Wake();
}

std::optional<SyncStatus> VenueDesk::Sync() const {
    if (!m_sync)
        return std::nullopt;
    return m_sync->Status();
}

std::optional<std::int64_t> VenueDesk::ClockOffset() const {
    const std::optional<SyncStatus> status = Sync();
    if (!status || !status->clockMeasured)
        return std::nullopt;
    return status->clockOffsetUs;
}

void VenueDesk::Changed() {
    std::function<void()> changed;
    {
        const std::lock_guard lock(m_insideMutex);
        changed = m_countChanged;
    }
    if (changed)
        changed();
}

VenueDesk::~VenueDesk() {
    // The worker calls back into this object: it stops before any member goes.
    if (m_sync)
        m_sync->Stop();
}

void VenueDesk::TakeCount(const VenueCount& count) {
    std::function<void()> changed;
    {
        const std::lock_guard lock(m_insideMutex);
        m_inside.Apply(count);
        const auto now = m_inside.Inside(count.nightStart);
        if (now != m_lastCount)
            changed = m_countChanged;
        m_lastCount = now;
    }
    if (changed)
        changed();
}

void VenueDesk::NoteLocal(std::uint64_t mark, Micros at, int delta) {
    const std::lock_guard lock(m_insideMutex);
    m_inside.NoteLocal(mark, at, delta);
}

std::optional<std::int64_t> VenueDesk::VenueInsideCount(Micros now) const {
    if (!m_sync)
        return std::nullopt;
    const std::lock_guard lock(m_insideMutex);
    return m_inside.Inside(NightStart(now, m_config.dayStartHour));
}

void VenueDesk::OnVenueCount(std::function<void()> changed) {
    const std::lock_guard lock(m_insideMutex);
    m_countChanged = std::move(changed);
}

std::unique_ptr<VenueDesk> VenueDesk::FromSettings() {
    return std::make_unique<VenueDesk>(VenueConfig::FromSettings(), EmbeddedStore::DefaultPath(), NowMicros,
                                       std::max(0, Settings::GetKeepDays()));
}

const DoorOutcome& VenueDesk::RecordCard(const MagneticStripeCards::Card& card, Verdict verdict) {
    const PrivacyProfile profile = PrivacyProfile::FromSettings();
    const DoorFacts facts = DoorFacts::OfCard(card, verdict, m_key ? &*m_key : nullptr);
    m_lastIdentity = facts.identity;
    // Kept in memory for the Venue menu only, and only what an entry may keep under the profile.
    m_lastName = profile.KeepsDisplayName() ? card.DisplayName() : std::string();
    m_lastBirthDate = profile.KeepsBirthDate() ? card.BirthDateIso() : std::string();
    const std::uint64_t mark = m_mark.Commit([&] { m_last = m_recorder->Record(facts, profile); });
    if (!m_last->stored)
        Report("a scan event was not stored: " + m_last->storeError);
    const Verdict painted = m_last->event.verdict;
    if (m_last->stored && (painted == Verdict::Ok || painted == Verdict::Flagged || painted == Verdict::Vip))
        NoteLocal(mark, m_last->event.scannedAt, 1);
    Wake();
    return *m_last;
}

const DoorOutcome& VenueDesk::RecordUnknown() {
    return RecordWithoutIdentity(DoorFacts::OfUnknown());
}

const DoorOutcome& VenueDesk::RecordMobile(bool verified, bool ofAge, const std::string& state) {
    return RecordWithoutIdentity(DoorFacts::OfMobile(verified, ofAge, state));
}

const DoorOutcome& VenueDesk::RecordWithoutIdentity(const DoorFacts& facts) {
    // The Venue menu must not put the card before this scan on a list as if it were this one.
    m_lastIdentity.clear();
    m_lastName.clear();
    m_lastBirthDate.clear();
    const std::uint64_t mark =
        m_mark.Commit([&] { m_last = m_recorder->Record(facts, PrivacyProfile::FromSettings()); });
    if (!m_last->stored)
        Report("a scan event was not stored: " + m_last->storeError);
    else if (m_last->event.verdict == Verdict::Ok) // an admitted phone counts in like a card
        NoteLocal(mark, m_last->event.scannedAt, 1);
    Wake();
    return *m_last;
}

Micros VenueDesk::RecordDoorCount(int delta, bool& stored) {
    const Micros at = m_now();
    stored = false;
    try {
        if (!m_store)
            throw VenueError(m_trouble);
        const std::uint64_t mark = m_mark.Commit([&] {
            m_store->RecordDoorCount({NewUuid(), m_config.venue, m_config.station, at, delta});
        });
        stored = true;
        NoteLocal(mark, at, delta);
        Wake(); // up at once, like a scan's event, so the other doors count it too
    } catch (const std::exception& e) {
        Report(std::string("a door count was not stored: ") + e.what());
    }
    return at;
}

std::string VenueDesk::CreatedBy() const {
    return m_config.station + " " + Account();
}

std::optional<std::string> VenueDesk::AddForLastCard(const EntryRequest& request, std::string& error) {
    if (m_lastIdentity.empty() || !m_key) {
        error = m_key ? "The last scan was no licence to put on a list." : "There is no venue key: " + m_trouble;
        return std::nullopt;
    }
    const auto until = EndOfLocalDay(request.until);
    if (!until) {
        error = "The expiry date is not a date.";
        return std::nullopt;
    }
    ListEntry entry;
    entry.id = NewUuid();
    entry.idHmac = m_lastIdentity;
    entry.keyVersion = m_key->Version();
    entry.list = request.list;
    entry.reason = request.reason;
    entry.note = request.note;
    entry.validUntil = *until;
    entry.scope = request.scope;
    entry.venue = m_config.venue;
    entry.createdBy = CreatedBy();
    entry.createdAt = m_now();
    entry.displayName = m_lastName;
    entry.birthDate = m_lastBirthDate;
    try {
        if (!m_store)
            throw VenueError(m_trouble);
        m_store->AddEntry(entry);
    } catch (const std::exception& e) {
        error = e.what();
        return std::nullopt;
    }
    m_lists.Put(entry); // holds at this door at once, before the watcher's next round
    Wake();
    return entry.id;
}

bool VenueDesk::Lift(const std::string& id, const std::string& reason, std::string& error) {
    try {
        if (!m_store)
            throw VenueError(m_trouble);
        const Micros at = m_now();
        if (!m_store->Lift(id, CreatedBy(), reason, at)) {
            error = "The entry is lifted already.";
            return false;
        }
        for (ListEntry entry : m_lists.All()) {
            if (entry.id != id)
                continue;
            entry.liftedAt = at;
            entry.liftedBy = CreatedBy();
            entry.liftReason = reason;
            m_lists.Put(entry);
        }
        Wake();
        return true;
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
}

} // namespace Venue
