#include "MdlDoorVerdict.h"

#include "TrustFolder.h"

namespace Mdl {

namespace {

std::string Text(const QString& text) {
    return text.toStdString();
}

MdlDoorVerdict NotVerified(const std::string& reason) {
    MdlDoorVerdict verdict;
    verdict.headline = "NOT VERIFIED";
    verdict.line = reason;
    return verdict;
}

} // namespace

std::string MdlDoorVerdict::AgeField(const MdlOutcome& outcome, int validAge) {
    if (!outcome.Verified())
        return {};
    switch (outcome.age) {
    case MdlOutcome::Age::Over:
        return std::to_string(validAge) + "+";
    case MdlOutcome::Age::Under:
        return "under " + std::to_string(validAge);
    case MdlOutcome::Age::Unknown:
        break;
    }
    return {};
}

MdlDoorVerdict MdlDoorVerdict::From(const MdlOutcome& outcome, int validAge, bool trustListOutOfDate) {
    MdlDoorVerdict verdict;
    const VerificationResult& result = outcome.result;
    if (!outcome.failureReason.isEmpty()) {
        verdict = NotVerified(Text(outcome.failureReason));
    } else if (result.failures.size() == 1 && result.Has(Failure::IssuerUntrusted)) {
        verdict.colour = Colour::Amber;
        verdict.headline = "Issuer not trusted";
        verdict.line = "Valid signature by " + Text(result.issuer) + ", not in the trust folder";
    } else if (!result.Verified()) {
        verdict = NotVerified(result.reasons.isEmpty() ? std::string("The licence failed a check.")
                                                       : Text(result.reasons.first()));
    } else if (outcome.age == MdlOutcome::Age::Unknown) {
        verdict = NotVerified("The licence does not state the age.");
    } else {
        const bool over = outcome.age == MdlOutcome::Age::Over;
        verdict.colour = over ? Colour::Green : Colour::Red;
        verdict.headline = over ? std::to_string(validAge) + "+" : "UNDER " + std::to_string(validAge);
        verdict.word = over ? "OK" : "";
        verdict.line = "Mobile licence, verified: " + Text(outcome.jurisdiction);
    }
    if (trustListOutOfDate)
        verdict.notes.push_back(TrustFolder::kOutOfDateLine);
    return verdict;
}

} // namespace Mdl
