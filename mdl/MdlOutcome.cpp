#include "MdlOutcome.h"

#include <QRegularExpression>

#include <utility>

namespace Mdl {

namespace {

QDate DateOf(const QCborValue& value) {
    if (value.isDateTime())
        return value.toDateTime().toUTC().date();
    const QCborValue text = value.isTag() ? value.taggedValue() : value;
    return QDate::fromString(text.toString().left(10), Qt::ISODate);
}

int AgeOn(const QDate& birth, const QDate& today) {
    int age = today.year() - birth.year();
    if (today.month() < birth.month() || (today.month() == birth.month() && today.day() < birth.day()))
        --age;
    return age;
}

} // namespace

MdlOutcome::Age MdlOutcome::AgeFrom(const QList<DisclosedElement>& elements, int validAge, const QDate& today) {
    static const QRegularExpression ageOver(QStringLiteral("^age_over_(\\d\\d)$"));
    // age_over_M true with M >= the valid age proves it; false with M <= the valid age disproves it.
    for (const DisclosedElement& element : elements) {
        const auto match = ageOver.match(element.identifier);
        if (!match.hasMatch() || !element.value.isBool())
            continue;
        const int m = match.captured(1).toInt();
        if (element.value.toBool() && m >= validAge)
            return Age::Over;
        if (!element.value.toBool() && m <= validAge)
            return Age::Under;
    }
    for (const DisclosedElement& element : elements) {
        if (element.identifier != QLatin1String("birth_date"))
            continue;
        const QDate birth = DateOf(element.value);
        if (birth.isValid() && today.isValid())
            return AgeOn(birth, today) >= validAge ? Age::Over : Age::Under;
    }
    return Age::Unknown;
}

MdlOutcome MdlOutcome::From(VerificationResult result, int validAge, const QDate& today) {
    MdlOutcome outcome;
    outcome.result = std::move(result);
    if (!outcome.result.Verified())
        return outcome;
    outcome.age = AgeFrom(outcome.result.elements, validAge, today);
    for (const DisclosedElement& element : outcome.result.elements) {
        if (element.identifier == QLatin1String("issuing_jurisdiction"))
            outcome.jurisdiction = element.value.toString();
        else if (element.identifier == QLatin1String("expiry_date"))
            outcome.expiry = DateOf(element.value);
        else if (element.identifier == QLatin1String("portrait"))
            outcome.portrait = element.value.toByteArray();
    }
    return outcome;
}

MdlOutcome MdlOutcome::SessionFailure(const QString& reason) {
    MdlOutcome outcome;
    outcome.failureReason = reason;
    return outcome;
}

} // namespace Mdl
