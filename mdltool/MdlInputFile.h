#pragma once
// The file forms kestrin-mdl accepts: binary CBOR or its hex text, the engagement also as the "mdoc:"
// text a scanner types, and the station's private key as PEM or as the 32-byte scalar in hex.

#include "OpenSslHandles.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace Mdl::Cli {

class MdlInputFile {
public:
    // The file's bytes, or empty optional with `error` set when it cannot be read.
    static std::optional<QByteArray> Read(const QString& path, QString& error);
    // CBOR bytes from a file's content: hex text is decoded, anything else taken as binary.
    static QByteArray CborBytes(const QByteArray& content);
    // Engagement bytes: "mdoc:" text, hex text or binary.
    static std::optional<QByteArray> EngagementBytes(const QByteArray& content);
    static PkeyPtr ReaderKey(const QByteArray& content);
};

} // namespace Mdl::Cli
