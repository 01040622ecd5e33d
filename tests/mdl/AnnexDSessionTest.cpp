// The Annex D session end to end through the library: engagement text, session keys, both messages,
// every check passing at the example's time, and one changed byte in each signed or encrypted part
// failing with the check that guards it.

#include "AnnexD.h"
#include "RowName.h"

#include "CborRaw.h"
#include "CoseKey.h"
#include "DeviceEngagement.h"
#include "SessionTranscript.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>

namespace MdlTests {
namespace {

using namespace Mdl;

struct Session {
    QByteArray engagement = AnnexD("device_engagement");
    PkeyPtr readerKey = MdlCrypto::EcPrivateKey(NID_X9_62_prime256v1, AnnexD("e_reader_key_d"));
    QByteArray establishment = AnnexD("session_establishment");
    QByteArray sessionData = AnnexD("session_data");
    QByteArray transcript = AnnexD("session_transcript_bytes");
    TrustStore trust;
    std::time_t now = kAnnexDTime;

    Session() { trust.Add(TrustStore::ParseDer(AnnexD("iaca_cert"))); }

    VerificationResult Verify() const {
        RecordedSessionInput input;
        input.engagement = engagement;
        input.readerPrivateKey = readerKey.get();
        input.establishment = establishment;
        input.sessionData = sessionData;
        input.sessionTranscript = transcript;
        input.trust = &trust;
        input.now = now;
        return RecordedSession::Verify(input);
    }
};

std::set<std::string> Codes(const VerificationResult& result) {
    std::set<std::string> codes;
    for (const Failure failure : result.failures)
        codes.insert(FailureCode(failure));
    return codes;
}

TEST(AnnexDSession, EngagementTextGivesTheEngagementAndItsBleOptions) {
    const auto bytes = DeviceEngagement::BytesFromText(QString::fromLatin1(AnnexDText("qr_engagement.txt")));
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->toHex(), AnnexD("device_engagement").toHex());
    const auto engagement = DeviceEngagement::Parse(*bytes);
    ASSERT_TRUE(engagement);
    EXPECT_EQ(engagement->EDeviceKeyBytes().toHex(), AnnexD("e_device_key_bytes").toHex());
    ASSERT_TRUE(engagement->Ble());
    EXPECT_TRUE(engagement->Ble()->centralClientMode);
    EXPECT_FALSE(engagement->Ble()->peripheralServerMode);
    EXPECT_EQ(engagement->Ble()->centralClientUuid.toHex(), QByteArray("45efef742b2c4837a9a3b0e1d05a6917"));
}

TEST(AnnexDSession, BothSidesDeriveTheSessionKeysAndOpenBothMessages) {
    const PkeyPtr readerKey = MdlCrypto::EcPrivateKey(NID_X9_62_prime256v1, AnnexD("e_reader_key_d"));
    const PkeyPtr deviceKey = MdlCrypto::EcPrivateKey(NID_X9_62_prime256v1, AnnexD("e_device_key_d"));
    auto reader = SessionEncryption::Derive(SessionEncryption::Role::Reader, readerKey.get(), deviceKey.get(),
                                            AnnexD("session_transcript_bytes"));
    auto holder = SessionEncryption::Derive(SessionEncryption::Role::Holder, deviceKey.get(), readerKey.get(),
                                            AnnexD("session_transcript_bytes"));
    ASSERT_TRUE(reader && holder);
    EXPECT_EQ(reader->SkReader().toHex(), AnnexD("sk_reader").toHex());
    EXPECT_EQ(reader->SkDevice().toHex(), AnnexD("sk_device").toHex());

    const auto requestCipher =
        CborRaw::ByteString(*CborRaw::MapValue(AnnexD("session_establishment"), QCborValue(QStringLiteral("data"))));
    const auto request = holder->Decrypt(*requestCipher);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->toHex(), AnnexD("device_request").toHex());
    EXPECT_EQ(reader->Encrypt(*request).toHex(), requestCipher->toHex()) << "the station encrypts as the example";

    const auto responseCipher =
        CborRaw::ByteString(*CborRaw::MapValue(AnnexD("session_data"), QCborValue(QStringLiteral("data"))));
    const auto response = reader->Decrypt(*responseCipher);
    ASSERT_TRUE(response);
    EXPECT_EQ(response->toHex(), AnnexD("device_response").toHex());
    EXPECT_FALSE(reader->Decrypt(*responseCipher)) << "the same message again has counter 2 and must fail";
}

TEST(AnnexDSession, EveryCheckPassesAtTheExampleTime) {
    const VerificationResult result = Session().Verify();
    EXPECT_TRUE(result.Verified()) << result.reasons.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(result.docType, QStringLiteral("org.iso.18013.5.1.mDL"));
    EXPECT_EQ(result.issuer, QStringLiteral("C=US,CN=utopia ds"));
    EXPECT_EQ(result.iaca.value_or(QString()), QStringLiteral("C=US,CN=utopia iaca"));
    EXPECT_EQ(result.deviceAuth, QStringLiteral("mac"));
    EXPECT_EQ(result.validUntil.toUTC().toString(Qt::ISODate), QStringLiteral("2021-10-01T13:30:02Z"));
    ASSERT_EQ(result.elements.size(), 6);
    for (const DisclosedElement& element : result.elements) {
        if (element.identifier == QLatin1String("portrait")) {
            EXPECT_EQ(element.value.toByteArray().toHex(), AnnexD("portrait_jpeg").toHex());
        }
    }
}

TEST(AnnexDSession, TheExpiredDocumentSignerAndMsoFailOnTodaysClock) {
    Session session;
    session.now = 1765000000; // December 2025
    EXPECT_EQ(Codes(session.Verify()), std::set<std::string>{"validity"});
}

TEST(AnnexDSession, AnEmptyTrustFolderLeavesTheIssuerUntrusted) {
    Session session;
    session.trust = TrustStore();
    const VerificationResult result = session.Verify();
    EXPECT_EQ(Codes(result), std::set<std::string>{"issuer-untrusted"});
    EXPECT_FALSE(result.iaca);
}

TEST(AnnexDSession, TheQrTranscriptIsNotTheSessionsTranscript) {
    Session session;
    session.transcript = SessionTranscript::ForQrEngagement(
        session.engagement, *CborRaw::MapValue(session.establishment, QCborValue(QStringLiteral("eReaderKey"))));
    EXPECT_EQ(Codes(session.Verify()), std::set<std::string>{"session-decrypt"});
}

// One changed byte in one part of the session, and the checks that must then fail (exactly these).
struct TamperRow {
    std::string name;
    std::function<void(Session&)> change;
    std::set<std::string> codes;
};

// Changes the response inside the SessionData and encrypts it again as the holder would.
void ChangeResponse(Session& session, const std::function<void(QByteArray&)>& change) {
    QByteArray response = AnnexD("device_response");
    change(response);
    session.sessionData = SessionDataWith(response);
}

void FlipAt(QByteArray& bytes, qsizetype index) {
    bytes[index] = static_cast<char>(bytes.at(index) ^ 0x01);
}

void FlipAfter(QByteArray& bytes, const char* marker, qsizetype offset) {
    const qsizetype at = bytes.indexOf(marker);
    ASSERT_GE(at, 0) << marker;
    FlipAt(bytes, at + offset);
}

class AnnexDTamper : public ::testing::TestWithParam<TamperRow> {};

TEST_P(AnnexDTamper, FailsWithTheCheckThatGuardsThePart) {
    Session session;
    GetParam().change(session);
    const VerificationResult result = session.Verify();
    EXPECT_FALSE(result.Verified());
    EXPECT_EQ(Codes(result), GetParam().codes) << result.reasons.join(QLatin1Char(' ')).toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    OneChangedByte, AnnexDTamper,
    ::testing::Values(
        TamperRow{"request_ciphertext",
                  [](Session& s) { FlipAt(s.establishment, s.establishment.size() - 20); },
                  {"session-decrypt"}},
        TamperRow{"request_gcm_tag",
                  [](Session& s) { FlipAt(s.establishment, s.establishment.size() - 1); },
                  {"session-decrypt"}},
        TamperRow{"response_ciphertext", [](Session& s) { FlipAt(s.sessionData, 100); }, {"session-decrypt"}},
        TamperRow{"response_gcm_tag",
                  [](Session& s) { FlipAt(s.sessionData, s.sessionData.size() - 1); },
                  {"session-decrypt"}},
        TamperRow{"transcript_handover",
                  [](Session& s) { FlipAt(s.transcript, s.transcript.size() - 3); },
                  {"session-decrypt"}},
        TamperRow{
            "reader_key",
            [](Session& s) { s.readerKey = MdlCrypto::EcPrivateKey(NID_X9_62_prime256v1, AnnexD("s_device_key_d")); },
            {"session-decrypt"}},
        TamperRow{"disclosed_item_value",
                  [](Session& s) { ChangeResponse(s, [](QByteArray& r) { FlipAfter(r, "Doe", 2); }); },
                  {"digest"}},
        TamperRow{
            "mso_valid_until",
            [](Session& s) { ChangeResponse(s, [](QByteArray& r) { FlipAfter(r, "2021-10-01T13:30:02Z", 18); }); },
            {"issuer-signature"}},
        TamperRow{"issuer_signature",
                  [](Session& s) { ChangeResponse(s, [](QByteArray& r) { FlipAfter(r, "deviceSigned", -2); }); },
                  {"issuer-signature"}},
        TamperRow{"ds_certificate_signature",
                  [](Session& s) {
                      ChangeResponse(s, [](QByteArray& r) {
                          const QByteArray cert = AnnexD("ds_cert");
                          FlipAt(r, r.indexOf(cert) + cert.size() - 1);
                      });
                  },
                  {"issuer-signature"}},
        TamperRow{"device_mac_tag",
                  [](Session& s) { ChangeResponse(s, [](QByteArray& r) { FlipAfter(r, "deviceMac", 18); }); },
                  {"device-auth"}},
        TamperRow{"device_namespaces",
                  [](Session& s) {
                      ChangeResponse(s, [](QByteArray& r) {
                          const qsizetype at = r.indexOf("deviceSigned");
                          const qsizetype item = r.indexOf(QByteArray::fromHex("d81841a0"), at);
                          ASSERT_GT(item, at);
                          r[item + 3] = '\xf6'; // an empty map becomes null: still well-formed
                      });
                  },
                  {"device-auth"}},
        TamperRow{
            "document_doctype",
            [](Session& s) { ChangeResponse(s, [](QByteArray& r) { FlipAfter(r, "org.iso.18013.5.1.mDL", 20); }); },
            {"doctype", "device-auth"}},
        TamperRow{"response_status",
                  [](Session& s) { ChangeResponse(s, [](QByteArray& r) { FlipAt(r, r.size() - 1); }); },
                  {"malformed"}}),
    RowName());

} // namespace
} // namespace MdlTests
