#pragma once
// The phone's side of a session for tests, without transport: shows an engagement, opens the
// station's SessionEstablishment, answers each request with the test issuer's response for the
// elements asked (of those it holds), and notes how the station ended the session. Fault switches
// make it misbehave the ways a broken or hostile phone would.

#include "TestIssuer.h"

#include "DeviceEngagement.h"
#include "SessionEncryption.h"

#include <QByteArray>
#include <QStringList>

#include <optional>

namespace MdlTests {

class FakeHolder {
public:
    struct Faults {
        bool flipCiphertextBit = false;
        bool reuseCounter = false;        // encrypts the answer with counter 1 again on a second request
        std::optional<QByteArray> replay; // sends this (a response of another session) instead of its own
    };

    // The BLE modes the engagement offers; peripheral server mode is what most wallets show by default.
    enum class BleModes { PeripheralServer, CentralClient, Both };
    static constexpr char kServiceUuidHex[] = "3bd4ac9a58d84c0f8de0d8fbe7b4e6d1";

    FakeHolder(const TestIssuer& issuer, IssueOptions options, BleModes modes = BleModes::PeripheralServer);

    QByteArray EngagementBytes() const { return m_engagement; }
    QString EngagementText() const;
    // The reply to one complete message from the station; empty when none is due.
    QByteArray OnMessage(const QByteArray& message);

    Faults faults;
    QList<QStringList> requests;     // the elements of each request, in order
    QList<QByteArray> responses;     // each DeviceResponse before encryption
    std::optional<qint64> endStatus; // the status the station ended with
    QList<bool> intentToRetain;      // every intentToRetain flag of every request

private:
    QByteArray Answer(const QByteArray& request);

    const TestIssuer& m_issuer;
    IssueOptions m_options;
    Mdl::PkeyPtr m_deviceKey;
    QByteArray m_engagement;
    std::optional<Mdl::SessionEncryption> m_session;
    QByteArray m_transcript;
    Mdl::PkeyPtr m_readerKey;
};

} // namespace MdlTests
