#pragma once
// How a session's messages reach the phone, whatever carries them (BLE in either role, NFC, or a
// socket pair in tests). The session logic sees only whole messages: the transport frames, chunks
// and reassembles, and reports a phone that goes away as failed() with a reason in words.

#include "BleFraming.h"

#include <QByteArray>
#include <QObject>
#include <QString>

namespace Mdl {

class MdocTransport : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~MdocTransport() override = default;

    // Connects to the phone named by the engagement the transport was made for; connected() or failed().
    virtual void Open() = 0;
    virtual void Send(const QByteArray& message) = 0;
    // Signals the end (State 0x02 on BLE) and disconnects; no failed() after this.
    virtual void Close() = 0;

protected:
    // One chunk from the phone: a whole message is emitted as messageReceived; false for a broken one.
    bool FeedChunk(BleReassembler& reassembler, const QByteArray& chunk) {
        switch (reassembler.Feed(chunk)) {
        case BleReassembler::Result::More:
            return true;
        case BleReassembler::Result::Complete:
            emit messageReceived(reassembler.TakeMessage());
            return true;
        case BleReassembler::Result::Error:
            return false;
        }
        return false;
    }

signals:
    void connected();
    void messageReceived(const QByteArray& message);
    void failed(const QString& reason);
};

} // namespace Mdl
