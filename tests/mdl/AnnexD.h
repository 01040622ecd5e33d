#pragma once
// The Annex D example session as test input, and the rebuilding of a SessionData around a changed
// response (encrypted again with SKDevice, as the holder would have).

#include "CborRaw.h"
#include "MdlCrypto.h"
#include "RecordedSession.h"
#include "SessionEncryption.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <ctime>

namespace MdlTests {

inline QString AnnexDPath(const char* name) {
    return QStringLiteral(KESTRIN_TEST_DATA "/mdl/annex-d/") + QString::fromLatin1(name);
}

inline QByteArray AnnexDText(const char* name) {
    QFile file(AnnexDPath(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().trimmed();
}

inline QByteArray AnnexD(const char* name) {
    return QByteArray::fromHex(AnnexDText((std::string(name) + ".hex").c_str()));
}

// 2021-01-01 00:00:00 UTC: inside every validity window of the example.
constexpr std::time_t kAnnexDTime = 1609459200;

inline QByteArray SessionDataWith(const QByteArray& response) {
    Mdl::SessionEncryption holder(Mdl::SessionEncryption::Role::Holder, AnnexD("sk_reader"), AnnexD("sk_device"));
    return Mdl::CborRaw::Head(5, 1) + Mdl::CborRaw::TextItem("data") +
           Mdl::CborRaw::ByteStringItem(holder.Encrypt(response));
}

} // namespace MdlTests
