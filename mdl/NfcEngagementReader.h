#pragma once
// Engagement by NFC tap through a PC/SC reader (pcsc-lite), which wallets that present by tap need:
// the reader selects the mdoc's NDEF application, runs the negotiated handover and reports the
// DeviceEngagement with the two handover messages, which go into the session transcript in place
// of the QR engagement's null. Only the interface exists so far; no PC/SC implementation is built.

#include <QByteArray>
#include <QObject>
#include <QString>

namespace Mdl {

class NfcEngagementReader : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~NfcEngagementReader() override = default;

    virtual void Start() = 0; // wait for a tap
    virtual void Stop() = 0;

signals:
    // `handover`: the encoded [HandoverSelect, HandoverRequest] for the transcript.
    void engaged(const QByteArray& engagementBytes, const QByteArray& handover);
    void failed(const QString& reason);
};

} // namespace Mdl
