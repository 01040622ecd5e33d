#pragma once
// What a checked mobile licence means at the door: whether it proves the valid age (from age_over_NN,
// or from birth_date for a wallet without one), the jurisdiction and expiry for the log, and the
// portrait for the operator to compare. Built only from elements of a verified response; a failed
// check leaves the age unknown whatever the phone sent.

#include "VerificationResult.h"

#include <QByteArray>
#include <QDate>
#include <QString>

namespace Mdl {

struct MdlOutcome {
    enum class Age { Unknown, Over, Under };

    VerificationResult result;
    Age age = Age::Unknown;
    QString jurisdiction;
    QDate expiry;
    QByteArray portrait;   // JPEG; shown, never written
    QString failureReason; // a session-level failure (no adapter, disconnected, timed out)

    bool Verified() const { return failureReason.isEmpty() && result.Verified(); }

    // `today` is the station's local date.
    static MdlOutcome From(VerificationResult result, int validAge, const QDate& today);
    static MdlOutcome SessionFailure(const QString& reason);
    // Whether the disclosed elements settle the age one way or the other.
    static Age AgeFrom(const QList<DisclosedElement>& elements, int validAge, const QDate& today);
};

} // namespace Mdl
