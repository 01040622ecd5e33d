#include "TestPki.h"

#include "MdlCrypto.h"
#include "TrustStore.h"

#include <QFile>
#include <QProcess>

namespace MdlTests {

TestPki::TestPki() {
    m_ok = m_dir.isValid() && MakeRoot(QStringLiteral("iaca"), QStringLiteral("/C=US/ST=UT/CN=Kestrin Test IACA")) &&
           MakeRoot(QStringLiteral("other-iaca"), QStringLiteral("/C=US/ST=ZZ/CN=Kestrin Other IACA")) &&
           MakeSigner(QStringLiteral("ds"), QStringLiteral("iaca"), QStringLiteral("365"),
                      QStringLiteral("1.0.18013.5.1.2")) &&
           MakeSigner(QStringLiteral("ds-short"), QStringLiteral("iaca"), QStringLiteral("1"),
                      QStringLiteral("1.0.18013.5.1.2")) &&
           MakeSigner(QStringLiteral("ds-nousage"), QStringLiteral("iaca"), QStringLiteral("365"),
                      QStringLiteral("serverAuth")) &&
           MakeSigner(QStringLiteral("ds-other"), QStringLiteral("other-iaca"), QStringLiteral("365"),
                      QStringLiteral("1.0.18013.5.1.2")) &&
           MakeRoot(QStringLiteral("vical-root"), QStringLiteral("/C=US/CN=Kestrin Test VICAL Root")) &&
           MakeSigner(QStringLiteral("vical-signer"), QStringLiteral("vical-root"), QStringLiteral("365"),
                      QStringLiteral("1.0.18013.5.1.8"));
}

bool TestPki::Run(const QStringList& arguments) {
    QProcess openssl;
    openssl.setWorkingDirectory(m_dir.path());
    openssl.setProcessChannelMode(QProcess::MergedChannels);
    openssl.start(QStringLiteral("openssl"), arguments);
    return openssl.waitForFinished(30000) && openssl.exitStatus() == QProcess::NormalExit && openssl.exitCode() == 0;
}

bool TestPki::MakeRoot(const QString& name, const QString& subject) {
    return Run({QStringLiteral("genpkey"), QStringLiteral("-algorithm"), QStringLiteral("EC"),
                QStringLiteral("-pkeyopt"), QStringLiteral("ec_paramgen_curve:P-256"), QStringLiteral("-out"),
                name + QStringLiteral(".key")}) &&
           Run({QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-new"), QStringLiteral("-key"),
                name + QStringLiteral(".key"), QStringLiteral("-sha256"), QStringLiteral("-days"),
                QStringLiteral("3650"), QStringLiteral("-subj"), subject, QStringLiteral("-addext"),
                QStringLiteral("basicConstraints=critical,CA:TRUE,pathlen:0"), QStringLiteral("-addext"),
                QStringLiteral("keyUsage=critical,keyCertSign,cRLSign"), QStringLiteral("-out"),
                name + QStringLiteral(".pem")});
}

bool TestPki::MakeSigner(const QString& name, const QString& root, const QString& days, const QString& usage) {
    QFile extensions(Path(name + QStringLiteral(".ext")));
    if (!extensions.open(QIODevice::WriteOnly))
        return false;
    extensions.write("keyUsage=critical,digitalSignature\nextendedKeyUsage=critical," + usage.toLatin1() +
                     "\nsubjectKeyIdentifier=hash\nauthorityKeyIdentifier=keyid\n");
    extensions.close();
    return Run({QStringLiteral("genpkey"), QStringLiteral("-algorithm"), QStringLiteral("EC"),
                QStringLiteral("-pkeyopt"), QStringLiteral("ec_paramgen_curve:P-256"), QStringLiteral("-out"),
                name + QStringLiteral(".key")}) &&
           Run({QStringLiteral("req"), QStringLiteral("-new"), QStringLiteral("-key"), name + QStringLiteral(".key"),
                QStringLiteral("-subj"), QStringLiteral("/C=US/ST=UT/CN=Kestrin Test DS ") + name,
                QStringLiteral("-out"), name + QStringLiteral(".csr")}) &&
           Run({QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"), name + QStringLiteral(".csr"),
                QStringLiteral("-CA"), root + QStringLiteral(".pem"), QStringLiteral("-CAkey"),
                root + QStringLiteral(".key"), QStringLiteral("-CAcreateserial"), QStringLiteral("-days"), days,
                QStringLiteral("-sha256"), QStringLiteral("-extfile"), name + QStringLiteral(".ext"),
                QStringLiteral("-out"), name + QStringLiteral(".pem")});
}

QByteArray TestPki::CertificateDer(const QString& name) const {
    QFile file(Path(name + QStringLiteral(".pem")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const auto certificates = Mdl::TrustStore::ParseCertificates(file.readAll());
    if (certificates.empty())
        return {};
    unsigned char* der = nullptr;
    const int length = i2d_X509(certificates.front().get(), &der);
    QByteArray out(reinterpret_cast<const char*>(der), length);
    OPENSSL_free(der);
    return out;
}

Mdl::PkeyPtr TestPki::Key(const QString& name) const {
    QFile file(Path(name + QStringLiteral(".key")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return Mdl::MdlCrypto::PrivateKeyFromPem(file.readAll());
}

} // namespace MdlTests
