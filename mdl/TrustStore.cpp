#include "TrustStore.h"

#include <openssl/pem.h>
#include <openssl/x509v3.h>

#include <cctype>

namespace Mdl {

namespace {

bool LooksLikeHex(const QByteArray& content) {
    const QByteArray trimmed = content.trimmed();
    if (trimmed.isEmpty() || trimmed.size() % 2 != 0)
        return false;
    for (const char c : trimmed) {
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

ChainResult::Status StatusOf(int error) {
    switch (error) {
    case X509_V_ERR_CERT_HAS_EXPIRED:
    case X509_V_ERR_CERT_NOT_YET_VALID:
        return ChainResult::Status::OutsideValidity;
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
        return ChainResult::Status::NotTrusted;
    default:
        return ChainResult::Status::Broken;
    }
}

} // namespace

TrustStore::TrustStore() : m_store(X509_STORE_new()) {}

X509Ptr TrustStore::ParseDer(const QByteArray& der) {
    const unsigned char* cursor = reinterpret_cast<const unsigned char*>(der.constData());
    X509Ptr certificate(d2i_X509(nullptr, &cursor, static_cast<long>(der.size())));
    if (!certificate || cursor != reinterpret_cast<const unsigned char*>(der.constData()) + der.size())
        return {};
    return certificate;
}

std::vector<X509Ptr> TrustStore::ParseCertificates(const QByteArray& content) {
    std::vector<X509Ptr> certificates;
    if (content.contains("-----BEGIN CERTIFICATE-----")) {
        BioPtr bio(BIO_new_mem_buf(content.constData(), static_cast<int>(content.size())));
        while (bio) {
            X509* certificate = PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr);
            if (!certificate)
                break;
            certificates.emplace_back(certificate);
        }
        return certificates;
    }
    const QByteArray der = LooksLikeHex(content) ? QByteArray::fromHex(content.trimmed()) : content;
    if (X509Ptr certificate = ParseDer(der))
        certificates.push_back(std::move(certificate));
    return certificates;
}

void TrustStore::Add(X509Ptr certificate) {
    if (!certificate || !m_store || X509_STORE_add_cert(m_store.get(), certificate.get()) != 1)
        return;
    m_roots.push_back(std::move(certificate));
}

ChainResult TrustStore::Verify(const QList<QByteArray>& chain, std::time_t now) const {
    ChainResult result;
    if (chain.isEmpty() || !m_store)
        return result;
    X509Ptr leaf = ParseDer(chain.first());
    if (!leaf) {
        result.detail = QStringLiteral("unreadable certificate");
        return result;
    }
    result.leafSubject = Subject(leaf.get());
    X509StackPtr intermediates(sk_X509_new_null(), FreeX509Stack);
    for (qsizetype i = 1; i < chain.size(); ++i) {
        X509Ptr certificate = ParseDer(chain.at(i));
        if (certificate && sk_X509_push(intermediates.get(), certificate.get()) > 0)
            certificate.release();
    }
    X509StoreCtxPtr context(X509_STORE_CTX_new());
    if (!context || X509_STORE_CTX_init(context.get(), m_store.get(), leaf.get(), intermediates.get()) != 1)
        return result;
    X509_VERIFY_PARAM_set_time(X509_STORE_CTX_get0_param(context.get()), now);
    if (X509_verify_cert(context.get()) == 1) {
        result.status = ChainResult::Status::Trusted;
        STACK_OF(X509)* verified = X509_STORE_CTX_get0_chain(context.get());
        const int depth = sk_X509_num(verified);
        if (depth > 0)
            result.rootSubject = Subject(sk_X509_value(verified, depth - 1));
        return result;
    }
    const int error = X509_STORE_CTX_get_error(context.get());
    result.status = StatusOf(error);
    result.detail = QString::fromLatin1(X509_verify_cert_error_string(error));
    return result;
}

bool TrustStore::HasExtendedKeyUsage(X509* certificate, const char* oid) {
    ExtKeyUsagePtr usage(
        static_cast<EXTENDED_KEY_USAGE*>(X509_get_ext_d2i(certificate, NID_ext_key_usage, nullptr, nullptr)));
    AsnObjectPtr wanted(OBJ_txt2obj(oid, 1));
    if (!usage || !wanted)
        return false;
    for (int i = 0; i < sk_ASN1_OBJECT_num(usage.get()); ++i) {
        if (OBJ_cmp(sk_ASN1_OBJECT_value(usage.get(), i), wanted.get()) == 0)
            return true;
    }
    return false;
}

QString TrustStore::Subject(X509* certificate) {
    BioPtr bio(BIO_new(BIO_s_mem()));
    if (!bio || X509_NAME_print_ex(bio.get(), X509_get_subject_name(certificate), 0, XN_FLAG_RFC2253) < 0)
        return {};
    char* data = nullptr;
    const long length = BIO_get_mem_data(bio.get(), &data);
    return QString::fromUtf8(data, static_cast<qsizetype>(length));
}

} // namespace Mdl
