#include "TrustFolder.h"

#include "DeviceRequest.h"
#include "MdlCrypto.h"
#include "Vical.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <openssl/pem.h>
#include <openssl/x509v3.h>

namespace Mdl {

namespace {

constexpr qint64 kLargestFile = 8 * 1024 * 1024;

QByteArray ReadSmallFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kLargestFile)
        return {};
    return file.readAll();
}

TrustStore LoadAnchors(const QString& folder) {
    TrustStore anchors;
    const QDir dir(QDir(folder).filePath(QString::fromLatin1(TrustFolder::kAnchorsFolder)));
    for (const QString& name : dir.entryList(QDir::Files | QDir::Readable, QDir::Name)) {
        for (X509Ptr& certificate : TrustStore::ParseCertificates(ReadSmallFile(dir.filePath(name))))
            anchors.Add(std::move(certificate));
    }
    return anchors;
}

QByteArray Pem(X509* certificate) {
    BioPtr bio(BIO_new(BIO_s_mem()));
    if (!bio || PEM_write_bio_X509(bio.get(), certificate) != 1)
        return {};
    char* data = nullptr;
    const long length = BIO_get_mem_data(bio.get(), &data);
    return QByteArray(data, static_cast<qsizetype>(length));
}

QByteArray Der(X509* certificate) {
    unsigned char* der = nullptr;
    const int length = i2d_X509(certificate, &der);
    if (length <= 0)
        return {};
    QByteArray out(reinterpret_cast<const char*>(der), length);
    OPENSSL_free(der);
    return out;
}

} // namespace

TrustFolderState TrustFolder::Load(const QString& folder, std::time_t now) {
    TrustFolderState state;
    const QDir dir(folder);
    const TrustStore anchors = LoadAnchors(folder);
    const QString docType = QString::fromLatin1(DeviceRequest::kMdlDocType);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Readable, QDir::Name)) {
        const QByteArray content = ReadSmallFile(dir.filePath(name));
        std::vector<X509Ptr> certificates = TrustStore::ParseCertificates(content);
        if (const auto vical = certificates.empty() ? Vical::Parse(content) : std::nullopt) {
            QString why;
            const Vical::Status status = vical->Check(anchors, now, why);
            if (status == Vical::Status::Invalid || status == Vical::Status::Expired) {
                state.problems.append(name + QStringLiteral(": ") + why);
                continue;
            }
            state.listOutOfDate = state.listOutOfDate || status == Vical::Status::OutOfDate;
            certificates = vical->Certificates(docType);
        }
        for (X509Ptr& certificate : certificates)
            state.store.Add(std::move(certificate));
    }
    return state;
}

bool TrustFolder::WriteWhole(const QString& path, const QByteArray& content, QString& message) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() || !file.commit()) {
        message = path + QStringLiteral(": ") + file.errorString();
        return false;
    }
    return true;
}

bool TrustFolder::Import(const QByteArray& content, const QString& folder, std::time_t now, QString& message) {
    if (!QDir().mkpath(folder)) {
        message = folder + QStringLiteral(": cannot create the folder");
        return false;
    }
    const std::vector<X509Ptr> certificates = TrustStore::ParseCertificates(content);
    if (certificates.empty()) {
        const auto vical = Vical::Parse(content);
        if (!vical) {
            message = QStringLiteral("neither a certificate nor a trust list (VICAL)");
            return false;
        }
        QString why;
        const Vical::Status status = vical->Check(LoadAnchors(folder), now, why);
        if (status == Vical::Status::Invalid || status == Vical::Status::Expired) {
            message = why;
            return false;
        }
        const QString name = QStringLiteral("vical-") +
                             QString::fromLatin1(MdlCrypto::Sha256(content).toHex().left(16)) + QStringLiteral(".cbor");
        message = QStringLiteral("added trust list %1 (%2)").arg(name, vical->Provider());
        return WriteWhole(QDir(folder).filePath(name), content, message);
    }
    for (const X509Ptr& certificate : certificates) {
        if (X509_check_ca(certificate.get()) == 0) {
            message = TrustStore::Subject(certificate.get()) + QStringLiteral(": not a CA certificate");
            return false;
        }
    }
    QStringList added;
    for (const X509Ptr& certificate : certificates) {
        const QString name = QStringLiteral("iaca-") +
                             QString::fromLatin1(MdlCrypto::Sha256(Der(certificate.get())).toHex().left(16)) +
                             QStringLiteral(".pem");
        if (!WriteWhole(QDir(folder).filePath(name), Pem(certificate.get()), message))
            return false;
        added.append(TrustStore::Subject(certificate.get()));
    }
    message = QStringLiteral("added ") + added.join(QStringLiteral("; "));
    return true;
}

} // namespace Mdl
