#pragma once
// The door's side of the venue: every scan becomes an event, stored before its verdict is painted, and
// meets the lists and the repeat window.
//
//   station: card (or unknown scan) + its verdict --> DoorFacts (identity from the venue key)
//            --> ListCache (banned / flagged / VIP) + RepeatWindow --> ScanEvent --> store (one commit)
//            --> DoorOutcome --> the display (BANNED, FLAGGED line, VIP mark, "Scanned N min ago at ...")
//
// The privacy profile decides whether the event keeps the identity; the lists match either way. A store
// that fails never stops the verdict: the outcome says the event was not kept, and why.

#include "IVenueStore.h"
#include "IdentityKey.h"
#include "ListCache.h"
#include "PrivacyProfile.h"
#include "RepeatWindow.h"
#include "VenueConfig.h"

#include <functional>
#include <optional>
#include <string>

namespace MagneticStripeCards {
class Card;
}

namespace Venue {

// What the station knows of one scan.
struct DoorFacts {
    Verdict verdict = Verdict::Unknown; // ok, under-age, expired or unknown, by the card alone
    std::optional<int> age;
    std::string sexCode;
    std::string state;
    std::string format;
    std::string warnings; // hint codes, comma-separated
    std::string identity; // 32-byte keyed identity, empty without a key or a licence number

    // The facts of a decoded card; `key` may be null (no venue key: no identity, no list match).
    static DoorFacts OfCard(const MagneticStripeCards::Card& card, Verdict verdict, const IdentityKey* key);
    static DoorFacts OfUnknown();
    // A phone's mobile licence, format "mdl": "ok" or "under-age" as the door judged a verified one,
    // "unknown" for one that failed a check. No age (the licence proves "over NN", not a number), no sex
    // code, and no identity: the station asks a phone only for the age, portrait, jurisdiction and
    // expiry, never the document number, so it meets no list and no repeat window. `state` is the
    // verified issuing jurisdiction ("UT"); ignored when not verified.
    static DoorFacts OfMobile(bool verified, bool ofAge, const std::string& state);
};

struct DoorOutcome {
    ScanEvent event; // as stored (or as it would have been)
    std::optional<ListEntry> banned;
    std::optional<ListEntry> flagged;
    bool vip = false;
    std::optional<RepeatWindow::Seen> repeat;
    int repeatMinutesAgo = 0;
    bool stored = false;
    std::string storeError; // why the event was not stored

    // "Scanned 3 min ago at door-2", or empty without a repeat.
    std::string RepeatLine() const;
};

class ScanRecorder {
public:
    using NowFunction = std::function<Micros()>;

    // `store` may be null (no venue store could be opened): verdicts and lists still work.
    ScanRecorder(VenueConfig config, IVenueStore* store, ListCache& lists, RepeatWindow& repeats, NowFunction now);

    DoorOutcome Record(const DoorFacts& facts, const PrivacyProfile& profile);

    const VenueConfig& Config() const { return m_config; }

private:
    VenueConfig m_config;
    IVenueStore* m_store;
    ListCache& m_lists;
    RepeatWindow& m_repeats;
    NowFunction m_now;
};

} // namespace Venue
