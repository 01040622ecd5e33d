#include "TestIssuer.h"

#include "CborRaw.h"
#include "CoseKey.h"
#include "MdlCrypto.h"
#include "SessionTranscript.h"

#include <QCborArray>
#include <QCborMap>
#include <QDateTime>

namespace MdlTests {

using Mdl::CborRaw;
using Mdl::MdlCrypto;

namespace {

const QString kNameSpace = QStringLiteral("org.iso.18013.5.1");

QByteArray ToBeSigned(const char* context, const QByteArray& protectedBytes, const QByteArray& payload) {
    return CborRaw::Head(4, 4) + CborRaw::TextItem(context) + CborRaw::ByteStringItem(protectedBytes) +
           CborRaw::ByteStringItem({}) + CborRaw::ByteStringItem(payload);
}

QByteArray Key(const char* text) {
    return CborRaw::TextItem(text);
}

QCborValue TDate(std::time_t t) {
    return QCborValue(QCborKnownTags::DateTimeString, QDateTime::fromSecsSinceEpoch(t, Qt::UTC).toString(Qt::ISODate));
}

} // namespace

TestIssuer::TestIssuer(const TestPki& pki) : m_pki(pki), m_deviceKey(MdlCrypto::GenerateEcKey(NID_X9_62_prime256v1)) {}

QList<IssuedElement> TestIssuer::DoorElements(bool over21) {
    return {{QStringLiteral("age_over_21"), QCborValue(over21)},
            {QStringLiteral("portrait"), QCborValue(Portrait())},
            {QStringLiteral("issuing_jurisdiction"), QCborValue(QStringLiteral("US-UT"))},
            {QStringLiteral("expiry_date"), QCborValue(QCborTag(1004), QStringLiteral("2031-05-31"))}};
}

QByteArray TestIssuer::Portrait() {
    return QByteArray::fromHex("ffd8ffe000104a46494600010101004800480000ffd9");
}

QByteArray TestIssuer::IssuerSigned(const IssueOptions& options) const {
    QByteArray items = CborRaw::Head(4, static_cast<quint64>(options.elements.size()));
    QCborMap digests;
    for (qsizetype i = 0; i < options.elements.size(); ++i) {
        QCborMap item;
        item.insert(QStringLiteral("digestID"), i);
        item.insert(QStringLiteral("random"), MdlCrypto::Sha256(QByteArray::number(i)).left(16));
        item.insert(QStringLiteral("elementIdentifier"), options.elements.at(i).identifier);
        item.insert(QStringLiteral("elementValue"), options.elements.at(i).value);
        QByteArray itemBytes = CborRaw::Tag24(item.toCborValue().toCbor());
        digests.insert(i, MdlCrypto::Sha256(itemBytes));
        if (options.changeItemAfterSigning && i == 0)
            itemBytes[itemBytes.size() - 1] = static_cast<char>(itemBytes.at(itemBytes.size() - 1) ^ 0x01);
        items += itemBytes;
    }
    QCborMap mso;
    mso.insert(QStringLiteral("version"), QStringLiteral("1.0"));
    mso.insert(QStringLiteral("digestAlgorithm"), QStringLiteral("SHA-256"));
    mso.insert(QStringLiteral("valueDigests"), QCborMap{{kNameSpace, digests}});
    mso.insert(QStringLiteral("deviceKeyInfo"),
               QCborMap{{QStringLiteral("deviceKey"), CborRaw::Value(Mdl::CoseKey::Encode(m_deviceKey.get()))}});
    mso.insert(QStringLiteral("docType"), options.msoDocType);
    mso.insert(QStringLiteral("validityInfo"), QCborMap{{QStringLiteral("signed"), TDate(options.validFrom)},
                                                        {QStringLiteral("validFrom"), TDate(options.validFrom)},
                                                        {QStringLiteral("validUntil"), TDate(options.validUntil)}});
    const QByteArray payload = CborRaw::Tag24(mso.toCborValue().toCbor());
    const QByteArray protectedBytes = QByteArray::fromHex("a10126"); // alg ES256
    const Mdl::PkeyPtr signerKey = m_pki.Key(options.signer);
    const QByteArray signature =
        MdlCrypto::SignRaw(signerKey.get(), EVP_sha256(), ToBeSigned("Signature1", protectedBytes, payload));
    const QByteArray unprotected =
        CborRaw::Head(5, 1) + CborRaw::Head(0, 33) + CborRaw::ByteStringItem(m_pki.CertificateDer(options.signer));
    const QByteArray issuerAuth = CborRaw::Head(4, 4) + CborRaw::ByteStringItem(protectedBytes) + unprotected +
                                  CborRaw::ByteStringItem(payload) + CborRaw::ByteStringItem(signature);
    return CborRaw::Head(5, 2) + Key("nameSpaces") + CborRaw::Head(5, 1) + CborRaw::TextItem(kNameSpace.toUtf8()) +
           items + Key("issuerAuth") + issuerAuth;
}

QByteArray TestIssuer::DeviceSigned(const IssueOptions& options, const QByteArray& transcriptBytes,
                                    EVP_PKEY* readerPublicKey) const {
    const QByteArray nameSpaces = CborRaw::Tag24(QByteArray(1, '\xa0'));
    const QByteArray authentication =
        CborRaw::Tag24(CborRaw::Head(4, 4) + Key("DeviceAuthentication") +
                       Mdl::SessionTranscript::Inner(transcriptBytes).value_or(QByteArray()) +
                       CborRaw::TextItem(options.docType.toUtf8()) + nameSpaces);
    QByteArray auth;
    if (options.deviceMac) {
        const QByteArray protectedBytes = QByteArray::fromHex("a10105"); // HMAC 256/256
        const QByteArray macKey = MdlCrypto::HkdfSha256(MdlCrypto::Ecdh(m_deviceKey.get(), readerPublicKey),
                                                        MdlCrypto::Sha256(transcriptBytes), "EMacKey", 32);
        const QByteArray tag = MdlCrypto::HmacSha256(macKey, ToBeSigned("MAC0", protectedBytes, authentication));
        auth = Key("deviceMac") + CborRaw::Head(4, 4) + CborRaw::ByteStringItem(protectedBytes) +
               QByteArray::fromHex("a0f6") + CborRaw::ByteStringItem(tag);
    } else {
        const QByteArray protectedBytes = QByteArray::fromHex("a10126");
        const QByteArray signature = MdlCrypto::SignRaw(m_deviceKey.get(), EVP_sha256(),
                                                        ToBeSigned("Signature1", protectedBytes, authentication));
        auth = Key("deviceSignature") + CborRaw::Head(4, 4) + CborRaw::ByteStringItem(protectedBytes) +
               QByteArray::fromHex("a0f6") + CborRaw::ByteStringItem(signature);
    }
    return CborRaw::Head(5, 2) + Key("nameSpaces") + nameSpaces + Key("deviceAuth") + CborRaw::Head(5, 1) + auth;
}

QByteArray TestIssuer::Response(const IssueOptions& options, const QByteArray& transcriptBytes,
                                EVP_PKEY* readerPublicKey) const {
    const QByteArray document = CborRaw::Head(5, 3) + Key("docType") + CborRaw::TextItem(options.docType.toUtf8()) +
                                Key("issuerSigned") + IssuerSigned(options) + Key("deviceSigned") +
                                DeviceSigned(options, transcriptBytes, readerPublicKey);
    return CborRaw::Head(5, 3) + Key("version") + CborRaw::TextItem("1.0") + Key("documents") + CborRaw::Head(4, 1) +
           document + Key("status") + CborRaw::Head(0, 0);
}

} // namespace MdlTests
