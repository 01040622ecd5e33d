#pragma once
// What this venue may keep of a scan, from the hive's "Privacy Profile" together with "Log Personal Data":
// where the two differ, the stricter holds. Read when a row is written, so a change holds from the next card.
//
//   full             the whole log row (as "Log Personal Data" allows), unknown scans, identities
//   minimal          the log row without the holder's personal data (as "Log Personal Data" 0)
//   name-and-number  the log row keeps the name, the licence number and the scan time only
//   no-retention     no log row, no unknown-scan text, no identity in the scan events; lists still match
//
// An unreadable or unknown profile is taken as "no-retention": a typo must not keep more than was meant.
// The log writer, the unknown-swipe file and the venue store all ask this one class.

#include <optional>
#include <string>
#include <string_view>

namespace MagneticStripeCards {
struct CardField;
}

class PrivacyProfile {
public:
    enum class Kind { Full, Minimal, NameAndNumber, NoRetention };

    PrivacyProfile(Kind kind, bool logPersonalData);
    // "Privacy Profile" (absent: full) and "Log Personal Data" as they are in the hive now.
    static PrivacyProfile FromSettings();

    static std::optional<Kind> Parse(std::string_view text);
    static std::string_view Name(Kind kind);

    Kind GetKind() const { return m_kind; }
    bool WritesLogRows() const;
    bool WritesUnknownScans() const;
    // Whether the log row keeps this field's value (an empty field otherwise).
    bool KeepsLogField(const MagneticStripeCards::CardField& field) const;
    // Whether scan events keep the keyed identity of the licence.
    bool KeepsIdentity() const;
    // Whether a list entry keeps a display name, and a birth date, for staff to recognise the person.
    bool KeepsDisplayName() const;
    bool KeepsBirthDate() const;

private:
    Kind m_kind;
    bool m_personalData;
};
