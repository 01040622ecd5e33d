#include "MdlInputFile.h"

#include "DeviceEngagement.h"
#include "MdlCrypto.h"

#include <QFile>

#include <cctype>

namespace Mdl::Cli {

namespace {

bool IsHexText(const QByteArray& text) {
    if (text.isEmpty() || text.size() % 2 != 0)
        return false;
    for (const char c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

} // namespace

std::optional<QByteArray> MdlInputFile::Read(const QString& path, QString& error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    return file.readAll();
}

QByteArray MdlInputFile::CborBytes(const QByteArray& content) {
    const QByteArray trimmed = content.trimmed();
    return IsHexText(trimmed) ? QByteArray::fromHex(trimmed) : content;
}

std::optional<QByteArray> MdlInputFile::EngagementBytes(const QByteArray& content) {
    const QByteArray trimmed = content.trimmed();
    if (trimmed.startsWith("mdoc:"))
        return DeviceEngagement::BytesFromText(QString::fromLatin1(trimmed));
    return CborBytes(content);
}

PkeyPtr MdlInputFile::ReaderKey(const QByteArray& content) {
    if (content.contains("-----BEGIN"))
        return MdlCrypto::PrivateKeyFromPem(content);
    const QByteArray trimmed = content.trimmed();
    const QByteArray scalar = IsHexText(trimmed) ? QByteArray::fromHex(trimmed) : content;
    if (scalar.size() != 32)
        return {};
    return MdlCrypto::EcPrivateKey(NID_X9_62_prime256v1, scalar);
}

} // namespace Mdl::Cli
