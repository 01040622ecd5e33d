#pragma once
// A throwaway PKI made with the openssl command line: a test IACA, Document Signers with the mDL usage,
// with a one-day life (expired once the clock moves on), without the usage, and one under a second
// IACA that no trust folder holds; a VICAL signer under a root of its own.

#include "OpenSslHandles.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace MdlTests {

class TestPki {
public:
    TestPki(); // check Ok() afterwards: false when openssl could not be run
    bool Ok() const { return m_ok; }

    QString Path(const QString& name) const { return m_dir.filePath(name); }
    QByteArray
    CertificateDer(const QString& name) const;   // "iaca", "ds", "ds-short", "ds-nousage", "ds-other", "vical-root"
    Mdl::PkeyPtr Key(const QString& name) const; // "ds", "ds-short", ...

private:
    bool Run(const QStringList& arguments);
    bool MakeRoot(const QString& name, const QString& subject);
    bool MakeSigner(const QString& name, const QString& root, const QString& days, const QString& usage);

    QTemporaryDir m_dir;
    bool m_ok = false;
};

} // namespace MdlTests
