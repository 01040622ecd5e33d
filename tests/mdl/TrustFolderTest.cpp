// The trust folder: importing certificates and VICALs (and refusing what must not be trusted), and
// which roots a folder with VICALs gives at which time, the grace week with its amber line included.

#include "RowName.h"
#include "TestPki.h"

#include "CborRaw.h"
#include "MdlCrypto.h"
#include "TrustFolder.h"

#include <QCborArray>
#include <QCborMap>
#include <QDateTime>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace MdlTests {
namespace {

using namespace Mdl;

constexpr std::time_t kDay = 24 * 3600;

class TrustFolderSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_pki = new TestPki(); }
    static void TearDownTestSuite() { delete s_pki; }
    void SetUp() override { ASSERT_TRUE(s_pki->Ok()); }

    QString Folder() const { return m_dir.filePath(QStringLiteral("trust")); }
    QStringList Files() const { return QDir(Folder()).entryList(QDir::Files); }

    void WriteAnchor() const {
        ASSERT_TRUE(QDir().mkpath(Folder() + QStringLiteral("/vical-anchors")));
        QFile::copy(s_pki->Path(QStringLiteral("vical-root.pem")),
                    Folder() + QStringLiteral("/vical-anchors/root.pem"));
    }

    // A VICAL signed by the test VICAL signer listing the test IACA for `docType`.
    static QByteArray MakeVical(std::time_t nextUpdate, const QString& docType) {
        QCborMap info;
        info.insert(QStringLiteral("certificate"), s_pki->CertificateDer(QStringLiteral("iaca")));
        info.insert(QStringLiteral("docType"), QCborArray{docType});
        QCborMap payload;
        payload.insert(QStringLiteral("version"), QStringLiteral("1.0"));
        payload.insert(QStringLiteral("vicalProvider"), QStringLiteral("Kestrin Test"));
        payload.insert(QStringLiteral("date"), QCborValue(QDateTime::fromSecsSinceEpoch(nextUpdate - kDay, Qt::UTC)));
        payload.insert(QStringLiteral("nextUpdate"), QCborValue(QDateTime::fromSecsSinceEpoch(nextUpdate, Qt::UTC)));
        payload.insert(QStringLiteral("certificateInfos"), QCborArray{info});
        const QByteArray body = payload.toCborValue().toCbor();
        const QByteArray protectedBytes = QByteArray::fromHex("a10126");
        const QByteArray toBeSigned = CborRaw::Head(4, 4) + CborRaw::TextItem("Signature1") +
                                      CborRaw::ByteStringItem(protectedBytes) + CborRaw::ByteStringItem({}) +
                                      CborRaw::ByteStringItem(body);
        const PkeyPtr key = s_pki->Key(QStringLiteral("vical-signer"));
        return CborRaw::Head(4, 4) + CborRaw::ByteStringItem(protectedBytes) + CborRaw::Head(5, 1) +
               CborRaw::Head(0, 33) + CborRaw::ByteStringItem(s_pki->CertificateDer(QStringLiteral("vical-signer"))) +
               CborRaw::ByteStringItem(body) +
               CborRaw::ByteStringItem(MdlCrypto::SignRaw(key.get(), EVP_sha256(), toBeSigned));
    }

    static bool TrustsTheTestSigner(const TrustFolderState& state, std::time_t now) {
        return state.store.Verify({s_pki->CertificateDer(QStringLiteral("ds"))}, now).status ==
               ChainResult::Status::Trusted;
    }

    static QByteArray ReadPki(const char* name) {
        QFile file(s_pki->Path(QString::fromLatin1(name)));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static TestPki* s_pki;
    QTemporaryDir m_dir;
};

TestPki* TrustFolderSuite::s_pki = nullptr;

TEST_F(TrustFolderSuite, ImportsAnIacaCertificateThatThenTrustsItsSigners) {
    const std::time_t now = std::time(nullptr);
    EXPECT_FALSE(TrustsTheTestSigner(TrustFolder::Load(Folder(), now), now));
    QString message;
    ASSERT_TRUE(TrustFolder::Import(ReadPki("iaca.pem"), Folder(), now, message)) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("Kestrin Test IACA")));
    EXPECT_EQ(Files().size(), 1);
    EXPECT_TRUE(TrustsTheTestSigner(TrustFolder::Load(Folder(), now), now));
    ASSERT_TRUE(TrustFolder::Import(s_pki->CertificateDer(QStringLiteral("iaca")).toHex(), Folder(), now, message));
    EXPECT_EQ(Files().size(), 1) << "the same certificate in hex is the same file";
}

TEST_F(TrustFolderSuite, RefusesWhatIsNotARootAndLeavesTheFolderAsItWas) {
    const std::time_t now = std::time(nullptr);
    QString message;
    ASSERT_TRUE(TrustFolder::Import(ReadPki("iaca.pem"), Folder(), now, message));
    EXPECT_FALSE(TrustFolder::Import(ReadPki("ds.pem"), Folder(), now, message));
    EXPECT_TRUE(message.contains(QStringLiteral("not a CA")));
    EXPECT_FALSE(TrustFolder::Import("not a certificate", Folder(), now, message));
    EXPECT_FALSE(
        TrustFolder::Import(MakeVical(now + kDay, QStringLiteral("org.iso.18013.5.1.mDL")), Folder(), now, message))
        << "no anchor for the list's signer yet";
    EXPECT_EQ(Files().size(), 1);
}

struct VicalRow {
    std::string name;
    std::time_t nextUpdateFromNow;
    std::function<void(QByteArray&)> change;
    bool anchor;
    QString docType;
    bool trusted;
    bool outOfDate;
};

class VicalCases : public TrustFolderSuite, public ::testing::WithParamInterface<VicalRow> {};

TEST_P(VicalCases, GiveTheirRootsOnlyWhenSignedAndCurrent) {
    const std::time_t now = std::time(nullptr);
    const VicalRow& row = GetParam();
    if (row.anchor)
        WriteAnchor();
    QByteArray vical = MakeVical(now + row.nextUpdateFromNow, row.docType);
    if (row.change)
        row.change(vical);
    QDir().mkpath(Folder());
    QFile file(Folder() + QStringLiteral("/aamva.vical"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(vical);
    file.close();
    const TrustFolderState state = TrustFolder::Load(Folder(), now);
    EXPECT_EQ(TrustsTheTestSigner(state, now), row.trusted);
    EXPECT_EQ(state.listOutOfDate, row.outOfDate);
    EXPECT_EQ(state.problems.isEmpty(), row.trusted || row.docType != QLatin1String("org.iso.18013.5.1.mDL"));
    QString message;
    EXPECT_EQ(TrustFolder::Import(vical, m_dir.filePath(QStringLiteral("other")), now, message), false)
        << "a folder without anchors never takes a list";
}

const QString kMdl = QStringLiteral("org.iso.18013.5.1.mDL");

INSTANTIATE_TEST_SUITE_P(
    Lists, VicalCases,
    ::testing::Values(VicalRow{"current", kDay, nullptr, true, kMdl, true, false},
                      VicalRow{"three_days_past_next_update", -3 * kDay, nullptr, true, kMdl, true, true},
                      VicalRow{"eight_days_past_next_update", -8 * kDay, nullptr, true, kMdl, false, false},
                      VicalRow{"changed_signature_byte", kDay,
                               [](QByteArray& v) { v[v.size() - 1] = static_cast<char>(v.at(v.size() - 1) ^ 1); }, true,
                               kMdl, false, false},
                      VicalRow{"signer_without_anchor", kDay, nullptr, false, kMdl, false, false},
                      VicalRow{"root_listed_for_another_doctype", kDay, nullptr, true, QStringLiteral("org.example.id"),
                               false, false}),
    RowName());

TEST_F(TrustFolderSuite, ImportsASignedVicalIntoAFolderWithItsAnchor) {
    const std::time_t now = std::time(nullptr);
    WriteAnchor();
    QString message;
    ASSERT_TRUE(TrustFolder::Import(MakeVical(now + kDay, kMdl), Folder(), now, message)) << message.toStdString();
    EXPECT_TRUE(TrustsTheTestSigner(TrustFolder::Load(Folder(), now), now));
    EXPECT_FALSE(TrustFolder::Import(MakeVical(now - 8 * kDay, kMdl), Folder(), now, message));
}

} // namespace
} // namespace MdlTests
