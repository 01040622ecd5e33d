#include "PrivacyProfile.h"

#include "CardFields.h"
#include "Settings.h"

#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<PrivacyProfile::Kind, std::string_view>, 4> kNames{{
    {PrivacyProfile::Kind::Full, "full"},
    {PrivacyProfile::Kind::Minimal, "minimal"},
    {PrivacyProfile::Kind::NameAndNumber, "name-and-number"},
    {PrivacyProfile::Kind::NoRetention, "no-retention"},
}};

// The columns of a name-and-number row: the scan time (column 0 and the date and time columns), the name
// and the licence number.
bool NameAndNumberColumn(int column) {
    return column == 0 || column == 1 || column == 9 || column == 17 || column == 18;
}

} // namespace

PrivacyProfile::PrivacyProfile(Kind kind, bool logPersonalData) : m_kind(kind), m_personalData(logPersonalData) {}

PrivacyProfile PrivacyProfile::FromSettings() {
    const std::string text = Settings::GetPrivacyProfile();
    const Kind kind = text.empty() ? Kind::Full : Parse(text).value_or(Kind::NoRetention);
    return PrivacyProfile(kind, Settings::GetLogPersonalData() != 0);
}

std::optional<PrivacyProfile::Kind> PrivacyProfile::Parse(std::string_view text) {
    for (const auto& [kind, name] : kNames)
        if (name == text)
            return kind;
    return std::nullopt;
}

std::string_view PrivacyProfile::Name(Kind kind) {
    for (const auto& [k, name] : kNames)
        if (k == kind)
            return name;
    return {};
}

bool PrivacyProfile::WritesLogRows() const {
    return m_kind != Kind::NoRetention;
}

bool PrivacyProfile::WritesUnknownScans() const {
    // An unknown scan's text is the raw card data. "minimal" keeps it as "Log Personal Data" 0 always
    // has; a name-and-number log may keep nothing beyond the name and number, so it keeps none.
    return m_kind == Kind::Full || m_kind == Kind::Minimal;
}

bool PrivacyProfile::KeepsLogField(const MagneticStripeCards::CardField& field) const {
    const bool personalAllowed = m_personalData || !field.personal;
    switch (m_kind) {
    case Kind::Full:
        return personalAllowed;
    case Kind::Minimal:
        return !field.personal;
    case Kind::NameAndNumber:
        return personalAllowed && NameAndNumberColumn(field.logColumn);
    case Kind::NoRetention:
        return false;
    }
    return false;
}

bool PrivacyProfile::KeepsIdentity() const {
    return m_kind != Kind::NoRetention;
}

bool PrivacyProfile::KeepsDisplayName() const {
    return m_personalData && (m_kind == Kind::Full || m_kind == Kind::NameAndNumber);
}

bool PrivacyProfile::KeepsBirthDate() const {
    return m_personalData && m_kind == Kind::Full;
}
