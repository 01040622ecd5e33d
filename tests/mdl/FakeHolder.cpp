#include "FakeHolder.h"

#include "CborRaw.h"
#include "CoseKey.h"
#include "MdlCrypto.h"
#include "SessionTranscript.h"

#include <QCborArray>
#include <QCborMap>

namespace MdlTests {

using Mdl::CborRaw;

namespace {

// Engagement offering the given BLE modes, both with the one service UUID.
QByteArray MakeEngagement(EVP_PKEY* deviceKey, FakeHolder::BleModes modes) {
    const QByteArray keyBytes = CborRaw::Tag24(Mdl::CoseKey::Encode(deviceKey));
    const QByteArray uuid = CborRaw::ByteStringItem(QByteArray::fromHex(FakeHolder::kServiceUuidHex));
    const QByteArray yes(1, '\xf5');
    QByteArray options;
    if (modes == FakeHolder::BleModes::PeripheralServer)
        options = CborRaw::Head(5, 2) + CborRaw::Head(0, 0) + yes + CborRaw::Head(0, 10) + uuid;
    else if (modes == FakeHolder::BleModes::CentralClient)
        options = CborRaw::Head(5, 2) + CborRaw::Head(0, 1) + yes + CborRaw::Head(0, 11) + uuid;
    else
        options = CborRaw::Head(5, 4) + CborRaw::Head(0, 0) + yes + CborRaw::Head(0, 1) + yes + CborRaw::Head(0, 10) +
                  uuid + CborRaw::Head(0, 11) + uuid;
    return CborRaw::Head(5, 3) + CborRaw::Head(0, 0) + CborRaw::TextItem("1.0") + CborRaw::Head(0, 1) +
           CborRaw::Head(4, 2) + CborRaw::Head(0, 1) + keyBytes + CborRaw::Head(0, 2) + CborRaw::Head(4, 1) +
           CborRaw::Head(4, 3) + CborRaw::Head(0, 2) + CborRaw::Head(0, 1) + options;
}

QByteArray DataMessage(const QByteArray& cipher) {
    return CborRaw::Head(5, 1) + CborRaw::TextItem("data") + CborRaw::ByteStringItem(cipher);
}

} // namespace

FakeHolder::FakeHolder(const TestIssuer& issuer, IssueOptions options, BleModes modes)
    : m_issuer(issuer), m_options(std::move(options)), m_deviceKey(Mdl::MdlCrypto::GenerateEcKey(NID_X9_62_prime256v1)),
      m_engagement(MakeEngagement(m_deviceKey.get(), modes)) {}

QString FakeHolder::EngagementText() const {
    return QStringLiteral("mdoc:") +
           QString::fromLatin1(m_engagement.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

QByteArray FakeHolder::OnMessage(const QByteArray& message) {
    const auto data = CborRaw::MapValue(message, QCborValue(QStringLiteral("data")));
    if (const auto eReaderKey = CborRaw::MapValue(message, QCborValue(QStringLiteral("eReaderKey")))) {
        m_transcript = Mdl::SessionTranscript::ForQrEngagement(m_engagement, *eReaderKey);
        m_readerKey =
            Mdl::CoseKey::ToPublicKey(CborRaw::Value(CborRaw::EmbeddedCbor(*eReaderKey).value_or(QByteArray())));
        m_session = Mdl::SessionEncryption::Derive(Mdl::SessionEncryption::Role::Holder, m_deviceKey.get(),
                                                   m_readerKey.get(), m_transcript);
    }
    if (!data) {
        const auto status = CborRaw::MapValue(message, QCborValue(QStringLiteral("status")));
        if (status)
            endStatus = CborRaw::Value(*status).toInteger();
        return {};
    }
    const auto cipher = CborRaw::ByteString(*data);
    const auto request = m_session && cipher ? m_session->Decrypt(*cipher) : std::nullopt;
    if (!request)
        return CborRaw::Head(5, 1) + CborRaw::TextItem("status") + CborRaw::Head(0, 10);
    return Answer(*request);
}

QByteArray FakeHolder::Answer(const QByteArray& request) {
    const QCborMap requestMap = CborRaw::Value(request).toMap();
    const QByteArray itemsRequest = requestMap.value(QStringLiteral("docRequests"))
                                        .toArray()
                                        .at(0)
                                        .toMap()
                                        .value(QStringLiteral("itemsRequest"))
                                        .taggedValue()
                                        .toByteArray();
    const QCborMap wanted = CborRaw::Value(itemsRequest)
                                .toMap()
                                .value(QStringLiteral("nameSpaces"))
                                .toMap()
                                .value(QStringLiteral("org.iso.18013.5.1"))
                                .toMap();
    QStringList names;
    IssueOptions answer = m_options;
    answer.elements.clear();
    for (auto it = wanted.constBegin(); it != wanted.constEnd(); ++it) {
        names.append(it.key().toString());
        intentToRetain.append(it.value().toBool());
    }
    for (const IssuedElement& element : m_options.elements) {
        if (names.contains(element.identifier))
            answer.elements.append(element);
    }
    requests.append(names);
    QByteArray response = faults.replay.value_or(m_issuer.Response(answer, m_transcript, m_readerKey.get()));
    responses.append(response);
    if (faults.reuseCounter && requests.size() > 1)
        *m_session =
            Mdl::SessionEncryption(Mdl::SessionEncryption::Role::Holder, m_session->SkReader(), m_session->SkDevice());
    QByteArray cipher = m_session->Encrypt(response);
    if (faults.flipCiphertextBit)
        cipher[0] = static_cast<char>(cipher.at(0) ^ 0x01);
    return DataMessage(cipher);
}

} // namespace MdlTests
