#include "DeviceRequest.h"

#include <QCborArray>
#include <QCborMap>
#include <QCborValue>

namespace Mdl {

QStringList DeviceRequest::AgeElements(int validAge) {
    return {QStringLiteral("age_over_%1").arg(validAge, 2, 10, QLatin1Char('0')), QStringLiteral("portrait"),
            QStringLiteral("issuing_jurisdiction"), QStringLiteral("expiry_date")};
}

QStringList DeviceRequest::BirthDateElements() {
    return {QStringLiteral("birth_date"), QStringLiteral("portrait"), QStringLiteral("issuing_jurisdiction"),
            QStringLiteral("expiry_date")};
}

QByteArray DeviceRequest::Encode(const QStringList& elements) {
    QCborMap wanted;
    for (const QString& element : elements)
        wanted.insert(element, false); // intentToRetain
    QCborMap nameSpaces;
    nameSpaces.insert(QString::fromLatin1(kMdlNameSpace), wanted);
    QCborMap itemsRequest;
    itemsRequest.insert(QStringLiteral("docType"), QString::fromLatin1(kMdlDocType));
    itemsRequest.insert(QStringLiteral("nameSpaces"), nameSpaces);
    QCborMap docRequest;
    docRequest.insert(QStringLiteral("itemsRequest"),
                      QCborValue(QCborKnownTags::EncodedCbor, QCborValue(itemsRequest.toCborValue().toCbor())));
    QCborMap request;
    request.insert(QStringLiteral("version"), QStringLiteral("1.0"));
    request.insert(QStringLiteral("docRequests"), QCborArray{docRequest});
    return request.toCborValue().toCbor();
}

} // namespace Mdl
