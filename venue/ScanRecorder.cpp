#include "ScanRecorder.h"

#include "Card.h"
#include "ScanEvent.h"

namespace Venue {
namespace {

constexpr Micros kMinuteMicros = 60'000'000;

std::string JoinCodes(const std::vector<MagneticStripeCards::CardWarning>& warnings) {
    std::string codes;
    for (const auto& w : warnings)
        codes += (codes.empty() ? "" : ",") + w.code;
    return codes;
}

// "banned" overrides every verdict; "flagged" and "vip" are the verdicts of an admitted card.
Verdict EventVerdict(Verdict base, const DoorOutcome& outcome) {
    if (outcome.banned)
        return Verdict::Banned;
    if (base != Verdict::Ok)
        return base;
    if (outcome.flagged)
        return Verdict::Flagged;
    return outcome.vip ? Verdict::Vip : base;
}

} // namespace

DoorFacts DoorFacts::OfCard(const MagneticStripeCards::Card& card, Verdict verdict, const IdentityKey* key) {
    DoorFacts facts;
    facts.verdict = verdict;
    facts.age = card.Age();
    facts.sexCode = card.SexCode();
    facts.state = card.State();
    facts.format = card.Format();
    facts.warnings = JoinCodes(card.Warnings());
    if (key)
        facts.identity = key->IdentityOf(card);
    return facts;
}

DoorFacts DoorFacts::OfUnknown() {
    DoorFacts facts;
    facts.verdict = Verdict::Unknown;
    facts.format = "unknown";
    return facts;
}

DoorFacts DoorFacts::OfMobile(bool verified, bool ofAge, const std::string& state) {
    DoorFacts facts;
    facts.format = "mdl";
    if (!verified)
        return facts; // what an unverified phone claims is not kept as its jurisdiction
    facts.verdict = ofAge ? Verdict::Ok : Verdict::UnderAge;
    facts.state = state;
    return facts;
}

std::string DoorOutcome::RepeatLine() const {
    if (!repeat)
        return {};
    return "Scanned " + std::to_string(repeatMinutesAgo) + " min ago at " + repeat->station;
}

ScanRecorder::ScanRecorder(VenueConfig config, IVenueStore* store, ListCache& lists, RepeatWindow& repeats,
                           NowFunction now)
    : m_config(std::move(config)), m_store(store), m_lists(lists), m_repeats(repeats), m_now(std::move(now)) {}

DoorOutcome ScanRecorder::Record(const DoorFacts& facts, const PrivacyProfile& profile) {
    const Micros now = m_now();
    DoorOutcome outcome;
    for (const ListEntry& entry : m_lists.Matches(facts.identity, m_config.venue, now)) {
        if (entry.list == ListKind::Banned && !outcome.banned)
            outcome.banned = entry;
        else if (entry.list == ListKind::Flagged && !outcome.flagged)
            outcome.flagged = entry;
        else if (entry.list == ListKind::Vip)
            outcome.vip = true;
        outcome.event.listHits += (outcome.event.listHits.empty() ? "" : ",") + entry.id;
    }
    outcome.repeat = m_repeats.Last(facts.identity, m_config.repeatMinutes, now);
    if (outcome.repeat)
        outcome.repeatMinutesAgo = static_cast<int>((now - outcome.repeat->at) / kMinuteMicros);
    m_repeats.Note(facts.identity, now, m_config.station, m_config.repeatMinutes);

    ScanEvent& e = outcome.event;
    e.id = NewUuid();
    e.venue = m_config.venue;
    e.station = m_config.station;
    e.scannedAt = now;
    e.verdict = EventVerdict(facts.verdict, outcome);
    e.age = facts.age;
    e.sexCode = facts.sexCode;
    e.state = facts.state;
    e.format = facts.format;
    e.warnings = facts.warnings;
    if (profile.KeepsIdentity())
        e.idHmac = facts.identity;
    if (!m_store) {
        outcome.storeError = "no venue store";
        return outcome;
    }
    try {
        m_store->RecordScan(e);
        outcome.stored = true;
    } catch (const std::exception& error) {
        outcome.storeError = error.what();
    }
    return outcome;
}

} // namespace Venue
