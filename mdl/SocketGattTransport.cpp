#include "SocketGattTransport.h"

#include <sys/socket.h>

#include <cerrno>

namespace Mdl {

SocketGattTransport::SocketGattTransport(Base::UniqueFd socket, int mtu, QObject* parent)
    : MdocTransport(parent), m_socket(std::move(socket)), m_mtu(mtu), m_reassembler(mtu) {}

bool SocketGattTransport::WritePacket(int fd, Characteristic characteristic, const QByteArray& value) {
    const QByteArray packet = QByteArray(1, static_cast<char>(characteristic)) + value;
    ssize_t written;
    do {
        written = ::send(fd, packet.constData(), static_cast<size_t>(packet.size()), MSG_NOSIGNAL);
    } while (written < 0 && errno == EINTR);
    return written == packet.size();
}

void SocketGattTransport::Open() {
    if (!m_socket.Valid()) {
        Fail(QStringLiteral("No connection to the phone."));
        return;
    }
    m_notifier = std::make_unique<QSocketNotifier>(m_socket.Get(), QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &SocketGattTransport::OnReadable);
    if (!WritePacket(m_socket.Get(), State, QByteArray(1, BleFraming::kStateStart))) {
        Fail(QStringLiteral("The phone disconnected."));
        return;
    }
    emit connected();
}

void SocketGattTransport::Send(const QByteArray& message) {
    for (const QByteArray& value : BleFraming::Chunk(message, m_mtu)) {
        if (!WritePacket(m_socket.Get(), Client2Server, value)) {
            Fail(QStringLiteral("The phone disconnected."));
            return;
        }
    }
}

// The notifier may be the one whose signal is being delivered: let the event loop delete it.
void SocketGattTransport::StopReading() {
    if (!m_notifier)
        return;
    m_notifier->setEnabled(false);
    m_notifier.release()->deleteLater();
}

void SocketGattTransport::Close() {
    if (m_closed)
        return;
    m_closed = true;
    StopReading();
    if (m_socket.Valid())
        WritePacket(m_socket.Get(), State, QByteArray(1, BleFraming::kStateEnd));
    m_socket.Reset();
}

void SocketGattTransport::Fail(const QString& reason) {
    if (m_closed)
        return;
    m_closed = true;
    StopReading();
    m_socket.Reset();
    emit failed(reason);
}

void SocketGattTransport::OnReadable() {
    char buffer[BleFraming::kMaxValue + 2];
    const ssize_t got = ::recv(m_socket.Get(), buffer, sizeof buffer, MSG_DONTWAIT);
    if (got < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    if (got <= 0) {
        Fail(QStringLiteral("The phone disconnected."));
        return;
    }
    const QByteArray value(buffer + 1, got - 1);
    if (buffer[0] == State) {
        if (value == QByteArray(1, BleFraming::kStateEnd))
            Fail(QStringLiteral("The phone ended the session."));
        return;
    }
    if (buffer[0] != Server2Client)
        return; // the client never receives its own characteristics; ignore rather than end
    if (!FeedChunk(m_reassembler, value))
        Fail(QStringLiteral("The phone sent a broken message."));
}

} // namespace Mdl
