#pragma once
// The GATT conversation of mdoc peripheral server mode (station = GATT client) over a SOCK_SEQPACKET
// socket: one packet is one GATT value, its first byte names the characteristic (State,
// Client2Server, Server2Client). It lets tests put a fake phone on the other end with the same
// framing, MTU chunking and end-of-session handling as over the air.

#include "BleFraming.h"
#include "MdocTransport.h"
#include "UniqueFd.h"

#include <QSocketNotifier>

#include <memory>

namespace Mdl {

class SocketGattTransport final : public MdocTransport {
    Q_OBJECT
public:
    enum Characteristic : char { State = 1, Client2Server = 2, Server2Client = 3 };

    SocketGattTransport(Base::UniqueFd socket, int mtu, QObject* parent = nullptr);

    void Open() override;
    void Send(const QByteArray& message) override;
    void Close() override;

    // One packet: the characteristic byte and the value. False when the peer is gone.
    static bool WritePacket(int fd, Characteristic characteristic, const QByteArray& value);

private:
    void OnReadable();
    void Fail(const QString& reason);
    void StopReading();

    Base::UniqueFd m_socket;
    int m_mtu;
    BleReassembler m_reassembler;
    std::unique_ptr<QSocketNotifier> m_notifier;
    bool m_closed = false;
};

} // namespace Mdl
