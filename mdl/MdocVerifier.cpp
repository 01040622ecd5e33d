#include "MdocVerifier.h"

#include "CborRaw.h"
#include "CoseKey.h"
#include "CoseMessage.h"
#include "MdlCrypto.h"
#include "SessionTranscript.h"

#include <QCborArray>
#include <QCborMap>

namespace Mdl {

namespace {

const EVP_MD* SignatureDigest(qint64 algorithm, int curveNid) {
    if (algorithm == -7 && curveNid == NID_X9_62_prime256v1)
        return EVP_sha256();
    if (algorithm == -35 && curveNid == NID_secp384r1)
        return EVP_sha384();
    if (algorithm == -36 && curveNid == NID_secp521r1)
        return EVP_sha512();
    return nullptr;
}

const EVP_MD* ItemDigest(const QString& name) {
    if (name == QLatin1String("SHA-256"))
        return EVP_sha256();
    if (name == QLatin1String("SHA-384"))
        return EVP_sha384();
    if (name == QLatin1String("SHA-512"))
        return EVP_sha512();
    return nullptr;
}

bool VerifySign1(const CoseMessage& message, EVP_PKEY* key, const QByteArray& payload) {
    const auto algorithm = message.Algorithm();
    const EVP_MD* md = algorithm ? SignatureDigest(*algorithm, MdlCrypto::CurveNid(key)) : nullptr;
    return md && MdlCrypto::VerifyRaw(key, md, message.SignatureStructure(payload), message.Tag());
}

// The raw parts of the one document the checks look at.
struct DocumentParts {
    QByteArray docTypeItem;
    QString docType;
    QByteArray issuerNameSpaces; // map ns -> [IssuerSignedItemBytes]
    QByteArray issuerAuth;
    QByteArray deviceNameSpacesBytes; // #6.24 item
    QByteArray deviceAuth;            // map
};

std::optional<DocumentParts> ReadDocument(const QByteArray& item) {
    DocumentParts parts;
    const auto docType = CborRaw::MapValue(item, QCborValue(QStringLiteral("docType")));
    const auto issuerSigned = CborRaw::MapValue(item, QCborValue(QStringLiteral("issuerSigned")));
    const auto deviceSigned = CborRaw::MapValue(item, QCborValue(QStringLiteral("deviceSigned")));
    if (!docType || !issuerSigned || !deviceSigned || !CborRaw::Value(*docType).isString())
        return std::nullopt;
    parts.docTypeItem = *docType;
    parts.docType = CborRaw::Value(*docType).toString();
    const auto nameSpaces = CborRaw::MapValue(*issuerSigned, QCborValue(QStringLiteral("nameSpaces")));
    const auto issuerAuth = CborRaw::MapValue(*issuerSigned, QCborValue(QStringLiteral("issuerAuth")));
    const auto deviceNameSpaces = CborRaw::MapValue(*deviceSigned, QCborValue(QStringLiteral("nameSpaces")));
    const auto deviceAuth = CborRaw::MapValue(*deviceSigned, QCborValue(QStringLiteral("deviceAuth")));
    if (!issuerAuth || !deviceNameSpaces || !deviceAuth)
        return std::nullopt;
    parts.issuerNameSpaces = nameSpaces.value_or(QByteArray(1, '\xa0'));
    parts.issuerAuth = *issuerAuth;
    parts.deviceNameSpacesBytes = *deviceNameSpaces;
    parts.deviceAuth = *deviceAuth;
    return parts;
}

// The document of the requested docType, else the first (whose docType the checks then reject).
std::optional<QByteArray> PickDocument(const QByteArray& response, const QString& docType) {
    const auto status = CborRaw::MapValue(response, QCborValue(QStringLiteral("status")));
    const auto documents = CborRaw::MapValue(response, QCborValue(QStringLiteral("documents")));
    if (!status || CborRaw::Value(*status).toInteger(-1) != 0 || !documents)
        return std::nullopt;
    const auto list = CborRaw::Children(*documents);
    if (!list || list->isEmpty())
        return std::nullopt;
    for (const QByteArray& document : *list) {
        const auto type = CborRaw::MapValue(document, QCborValue(QStringLiteral("docType")));
        if (type && CborRaw::Value(*type).toString() == docType)
            return document;
    }
    return list->first();
}

class Checks {
public:
    Checks(const VerifierInput& input, VerificationResult& result) : m_input(input), m_result(result) {}

    bool Run(const QByteArray& response) {
        const auto document = PickDocument(response, m_input.requestedDocType);
        const auto parts = document ? ReadDocument(*document) : std::nullopt;
        const auto issuerAuth = parts ? CoseMessage::Parse(parts->issuerAuth) : std::nullopt;
        const auto msoBytes =
            issuerAuth && issuerAuth->Payload() ? CborRaw::EmbeddedCbor(*issuerAuth->Payload()) : std::nullopt;
        const QCborValue mso = msoBytes ? CborRaw::Value(*msoBytes) : QCborValue();
        if (!mso.isMap())
            return false;
        m_result.docType = parts->docType;
        m_mso = mso.toMap();
        X509Ptr signer = CheckIssuerSignature(*issuerAuth);
        CheckChain(*issuerAuth, signer.get());
        CheckDigests(parts->issuerNameSpaces);
        CheckDocType(parts->docType);
        CheckValidity();
        CheckDeviceAuth(*parts);
        return true;
    }

private:
    X509Ptr CheckIssuerSignature(const CoseMessage& issuerAuth) {
        const QList<QByteArray> chain = issuerAuth.CertificateChain();
        X509Ptr signer = chain.isEmpty() ? X509Ptr() : TrustStore::ParseDer(chain.first());
        if (!signer) {
            m_result.Fail(Failure::IssuerSignature,
                          QStringLiteral("The issuer's certificate is missing or unreadable."));
            return {};
        }
        m_result.issuer = TrustStore::Subject(signer.get());
        EVP_PKEY* key = X509_get0_pubkey(signer.get());
        if (!key || !VerifySign1(issuerAuth, key, *issuerAuth.Payload()))
            m_result.Fail(Failure::IssuerSignature, QStringLiteral("The issuer's signature does not match."));
        return signer;
    }

    void CheckChain(const CoseMessage& issuerAuth, X509* signer) {
        if (!signer)
            return;
        if (!TrustStore::HasExtendedKeyUsage(signer, TrustStore::kDocumentSignerUsage))
            m_result.Fail(Failure::DsUsage, QStringLiteral("The issuer's certificate is not for signing licences."));
        if (!m_input.trust) {
            m_result.Fail(Failure::IssuerUntrusted, QStringLiteral("No trust store."));
            return;
        }
        const ChainResult chain = m_input.trust->Verify(issuerAuth.CertificateChain(), m_input.now);
        switch (chain.status) {
        case ChainResult::Status::Trusted:
            m_result.iaca = chain.rootSubject;
            return;
        case ChainResult::Status::NotTrusted:
            m_result.Fail(Failure::IssuerUntrusted, QStringLiteral("Issuer not trusted: ") + chain.detail);
            return;
        case ChainResult::Status::OutsideValidity:
            m_result.Fail(Failure::Validity, QStringLiteral("Issuer certificate: ") + chain.detail);
            return;
        case ChainResult::Status::Broken:
            m_result.Fail(Failure::IssuerSignature, QStringLiteral("Issuer certificate: ") + chain.detail);
            return;
        }
    }

    void CheckDigests(const QByteArray& nameSpaces) {
        const EVP_MD* md = ItemDigest(m_mso.value(QStringLiteral("digestAlgorithm")).toString());
        const QCborMap valueDigests = m_mso.value(QStringLiteral("valueDigests")).toMap();
        const auto entries = CborRaw::Children(nameSpaces);
        if (!md || !entries) {
            m_result.Fail(Failure::Digest, QStringLiteral("The digests cannot be checked."));
            return;
        }
        for (qsizetype i = 0; i + 1 < entries->size(); i += 2) {
            const QString nameSpace = CborRaw::Value(entries->at(i)).toString();
            const auto items = CborRaw::Children(entries->at(i + 1));
            if (!items) {
                m_result.Fail(Failure::Digest, QStringLiteral("Unreadable items in ") + nameSpace);
                continue;
            }
            const QCborMap digests = valueDigests.value(nameSpace).toMap();
            for (const QByteArray& item : *items)
                CheckItem(nameSpace, item, md, digests);
        }
    }

    void CheckItem(const QString& nameSpace, const QByteArray& item, const EVP_MD* md, const QCborMap& digests) {
        const auto embedded = CborRaw::EmbeddedCbor(item);
        const QCborMap fields = embedded ? CborRaw::Value(*embedded).toMap() : QCborMap();
        const QString identifier = fields.value(QStringLiteral("elementIdentifier")).toString();
        const QCborValue digestId = fields.value(QStringLiteral("digestID"));
        const QCborValue expected = digestId.isInteger() ? digests.value(digestId.toInteger()) : QCborValue();
        if (!expected.isByteArray() || MdlCrypto::Digest(md, item) != expected.toByteArray()) {
            m_result.Fail(Failure::Digest, QStringLiteral("The digest of %1 does not match.").arg(identifier));
            return;
        }
        m_result.elements.append({nameSpace, identifier, fields.value(QStringLiteral("elementValue"))});
    }

    void CheckDocType(const QString& documentDocType) {
        const QString msoDocType = m_mso.value(QStringLiteral("docType")).toString();
        if (documentDocType != m_input.requestedDocType || msoDocType != documentDocType)
            m_result.Fail(Failure::DocType,
                          QStringLiteral("The document is of type %1, signed as %2.").arg(documentDocType, msoDocType));
    }

    void CheckValidity() {
        const QCborMap validity = m_mso.value(QStringLiteral("validityInfo")).toMap();
        m_result.validFrom = validity.value(QStringLiteral("validFrom")).toDateTime();
        m_result.validUntil = validity.value(QStringLiteral("validUntil")).toDateTime();
        const QDateTime now = QDateTime::fromSecsSinceEpoch(m_input.now, Qt::UTC);
        if (!m_result.validFrom.isValid() || !m_result.validUntil.isValid() || now < m_result.validFrom ||
            now > m_result.validUntil)
            m_result.Fail(Failure::Validity, QStringLiteral("The licence data is outside its validity."));
    }

    void CheckDeviceAuth(const DocumentParts& parts) {
        const auto transcript = SessionTranscript::Inner(m_input.sessionTranscriptBytes);
        PkeyPtr deviceKey = CoseKey::ToPublicKey(
            m_mso.value(QStringLiteral("deviceKeyInfo")).toMap().value(QStringLiteral("deviceKey")));
        if (!transcript || !deviceKey || !CborRaw::EmbeddedCbor(parts.deviceNameSpacesBytes)) {
            m_result.Fail(Failure::DeviceAuth, QStringLiteral("The phone's proof cannot be checked."));
            return;
        }
        const QByteArray authentication =
            CborRaw::Tag24(CborRaw::Head(4, 4) + CborRaw::TextItem(QByteArrayLiteral("DeviceAuthentication")) +
                           *transcript + parts.docTypeItem + parts.deviceNameSpacesBytes);
        if (const auto mac = CborRaw::MapValue(parts.deviceAuth, QCborValue(QStringLiteral("deviceMac")))) {
            m_result.deviceAuth = QStringLiteral("mac");
            if (!CheckMac(*mac, deviceKey.get(), authentication))
                m_result.Fail(Failure::DeviceAuth, QStringLiteral("The phone's MAC does not match this session."));
            return;
        }
        if (const auto signature = CborRaw::MapValue(parts.deviceAuth, QCborValue(QStringLiteral("deviceSignature")))) {
            m_result.deviceAuth = QStringLiteral("signature");
            const auto message = CoseMessage::Parse(*signature);
            if (!message || message->Payload() || !VerifySign1(*message, deviceKey.get(), authentication))
                m_result.Fail(Failure::DeviceAuth,
                              QStringLiteral("The phone's signature does not match this session."));
            return;
        }
        m_result.Fail(Failure::DeviceAuth, QStringLiteral("The phone gave no proof of holding the licence."));
    }

    bool CheckMac(const QByteArray& item, EVP_PKEY* deviceKey, const QByteArray& authentication) const {
        const auto message = CoseMessage::Parse(item);
        if (!message || message->Payload() || message->Algorithm() != std::optional<qint64>(5))
            return false;
        const QByteArray shared = MdlCrypto::Ecdh(m_input.readerPrivateKey, deviceKey);
        if (shared.isEmpty())
            return false;
        const QByteArray key = MdlCrypto::HkdfSha256(shared, MdlCrypto::Sha256(m_input.sessionTranscriptBytes),
                                                     QByteArrayLiteral("EMacKey"), 32);
        return MdlCrypto::ConstantTimeEqual(MdlCrypto::HmacSha256(key, message->MacStructure(authentication)),
                                            message->Tag());
    }

    const VerifierInput& m_input;
    VerificationResult& m_result;
    QCborMap m_mso;
};

} // namespace

VerificationResult MdocVerifier::Verify(const QByteArray& deviceResponse, const VerifierInput& input) {
    VerificationResult result;
    Checks checks(input, result);
    if (!checks.Run(deviceResponse))
        result.Fail(Failure::Malformed, QStringLiteral("The phone's answer cannot be read."));
    return result;
}

} // namespace Mdl
