#include "FakeHolderPeer.h"

#include "SocketGattTransport.h"

#include <sys/socket.h>

namespace MdlTests {

using Mdl::SocketGattTransport;

FakeHolderPeer::FakeHolderPeer(Base::UniqueFd socket, FakeHolder& holder, int mtu, Faults faults)
    : m_socket(std::move(socket)), m_holder(holder), m_mtu(mtu), m_faults(faults), m_reassembler(mtu),
      m_notifier(std::make_unique<QSocketNotifier>(m_socket.Get(), QSocketNotifier::Read)) {
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] { OnReadable(); });
}

void FakeHolderPeer::Disconnect() {
    m_notifier->setEnabled(false);
    m_socket.Reset();
}

void FakeHolderPeer::OnReadable() {
    char buffer[1024];
    const ssize_t got = ::recv(m_socket.Get(), buffer, sizeof buffer, MSG_DONTWAIT);
    if (got <= 0) {
        if (got == 0)
            Disconnect();
        return;
    }
    const QByteArray value(buffer + 1, got - 1);
    if (buffer[0] == SocketGattTransport::State) {
        stateValues.append(value);
        return;
    }
    if (buffer[0] != SocketGattTransport::Client2Server ||
        m_reassembler.Feed(value) != Mdl::BleReassembler::Result::Complete)
        return;
    const QByteArray reply = m_holder.OnMessage(m_reassembler.TakeMessage());
    if (m_faults.endBeforeAnswering) {
        SocketGattTransport::WritePacket(m_socket.Get(), SocketGattTransport::State,
                                         QByteArray(1, Mdl::BleFraming::kStateEnd));
        return;
    }
    if (!reply.isEmpty() && !m_faults.silent)
        Answer(reply);
}

void FakeHolderPeer::Answer(const QByteArray& reply) {
    QList<QByteArray> values = Mdl::BleFraming::Chunk(reply, m_mtu);
    if (m_faults.badFlagByte)
        values.first()[0] = 0x02;
    if (m_faults.oversizeValue)
        values.first().append(QByteArray(Mdl::BleFraming::MaxValue(m_mtu), 'x'));
    for (const QByteArray& value : values) {
        if (chunksSent == m_faults.disconnectAfterChunks) {
            Disconnect();
            return;
        }
        SocketGattTransport::WritePacket(m_socket.Get(), SocketGattTransport::Server2Client, value);
        largestValue = std::max(largestValue, static_cast<int>(value.size()));
        ++chunksSent;
    }
}

} // namespace MdlTests
