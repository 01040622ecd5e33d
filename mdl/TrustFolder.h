#pragma once
// The "mDL Trust Folder" on disk: IACA certificates (DER, PEM or hex), any number of VICAL files,
// and a "vical-anchors" subfolder with the roots a VICAL's signer must chain to. Loading gives the
// trust store for one session; importing adds a certificate or a checked VICAL, written whole through
// a temporary file, so a failed import leaves the folder as it was.

#include "TrustStore.h"

#include <QString>
#include <QStringList>

#include <ctime>

namespace Mdl {

struct TrustFolderState {
    TrustStore store;
    bool listOutOfDate = false; // a VICAL in its grace week: "trust list out of date"
    QStringList problems;       // files that were not used, and why
};

class TrustFolder {
public:
    static constexpr const char* kAnchorsFolder = "vical-anchors";
    static constexpr const char* kOutOfDateLine = "trust list out of date";

    static TrustFolderState Load(const QString& folder, std::time_t now);

    // Adds the certificate(s) or VICAL of `content`. False with `message` saying why when it is
    // neither, when a certificate is not a CA, or when a VICAL fails its checks at `now`.
    static bool Import(const QByteArray& content, const QString& folder, std::time_t now, QString& message);

private:
    static bool WriteWhole(const QString& path, const QByteArray& content, QString& message);
};

} // namespace Mdl
