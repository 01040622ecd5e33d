#include "Vical.h"

#include "CborRaw.h"
#include "CoseMessage.h"
#include "MdlCrypto.h"

#include <QCborArray>
#include <QCborMap>

namespace Mdl {

namespace {

QCborMap Payload(const CoseMessage& message) {
    if (!message.Payload())
        return {};
    // The payload is the list's CBOR map, in some lists wrapped in #6.24.
    const auto embedded = CborRaw::EmbeddedCbor(*message.Payload());
    return CborRaw::Value(embedded.value_or(*message.Payload())).toMap();
}

const EVP_MD* DigestFor(qint64 algorithm) {
    switch (algorithm) {
    case -7:
        return EVP_sha256();
    case -35:
        return EVP_sha384();
    case -36:
        return EVP_sha512();
    default:
        return nullptr;
    }
}

} // namespace

std::optional<Vical> Vical::Parse(const QByteArray& bytes) {
    const auto message = CoseMessage::Parse(bytes);
    if (!message)
        return std::nullopt;
    const QCborMap payload = Payload(*message);
    if (!payload.contains(QStringLiteral("certificateInfos")))
        return std::nullopt;
    Vical vical;
    vical.m_signed = bytes;
    vical.m_date = payload.value(QStringLiteral("date")).toDateTime();
    vical.m_nextUpdate = payload.value(QStringLiteral("nextUpdate")).toDateTime();
    vical.m_provider = payload.value(QStringLiteral("vicalProvider")).toString();
    return vical;
}

Vical::Status Vical::Check(const TrustStore& anchors, std::time_t now, QString& why) const {
    const auto message = CoseMessage::Parse(m_signed);
    const QList<QByteArray> chain = message ? message->CertificateChain() : QList<QByteArray>();
    X509Ptr signer = chain.isEmpty() ? X509Ptr() : TrustStore::ParseDer(chain.first());
    EVP_PKEY* key = signer ? X509_get0_pubkey(signer.get()) : nullptr;
    const auto algorithm = message ? message->Algorithm() : std::nullopt;
    const EVP_MD* md = algorithm ? DigestFor(*algorithm) : nullptr;
    if (!key || !md ||
        !MdlCrypto::VerifyRaw(key, md, message->SignatureStructure(*message->Payload()), message->Tag())) {
        why = QStringLiteral("the trust list's signature does not match");
        return Status::Invalid;
    }
    const ChainResult trusted = anchors.Verify(chain, now);
    if (trusted.status != ChainResult::Status::Trusted) {
        why = QStringLiteral("the trust list's signer is not trusted: ") + trusted.detail;
        return Status::Invalid;
    }
    if (!m_nextUpdate.isValid()) {
        why = QStringLiteral("the trust list has no next update date");
        return Status::Invalid;
    }
    const std::time_t next = static_cast<std::time_t>(m_nextUpdate.toSecsSinceEpoch());
    if (now <= next)
        return Status::Current;
    if (now <= next + kGraceSeconds) {
        why = QStringLiteral("trust list out of date");
        return Status::OutOfDate;
    }
    why = QStringLiteral("the trust list is more than 7 days past its next update");
    return Status::Expired;
}

std::vector<X509Ptr> Vical::Certificates(const QString& docType) const {
    std::vector<X509Ptr> certificates;
    const auto message = CoseMessage::Parse(m_signed);
    if (!message)
        return certificates;
    for (const QCborValue& info : Payload(*message).value(QStringLiteral("certificateInfos")).toArray()) {
        const QCborMap entry = info.toMap();
        const QCborArray docTypes = entry.value(QStringLiteral("docType")).toArray();
        if (!docTypes.isEmpty() && !docTypes.contains(QCborValue(docType)))
            continue;
        if (X509Ptr certificate = TrustStore::ParseDer(entry.value(QStringLiteral("certificate")).toByteArray()))
            certificates.push_back(std::move(certificate));
    }
    return certificates;
}

} // namespace Mdl
