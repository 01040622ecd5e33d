#pragma once
// The fake phone at the far end of a socket pair, speaking the GATT framing of peripheral server mode
// as the GATT server: waits for State 0x01, reassembles Client2Server writes, lets FakeHolder answer,
// and notifies the answer in Server2Client chunks of its MTU. Fault switches cut the connection
// midway, send a bad flag byte or an oversize value, end the session early or stay silent.

#include "FakeHolder.h"

#include "BleFraming.h"
#include "UniqueFd.h"

#include <QSocketNotifier>

#include <memory>

namespace MdlTests {

class FakeHolderPeer {
public:
    struct Faults {
        int disconnectAfterChunks = -1; // close the socket after this many chunks of the first answer
        bool badFlagByte = false;
        bool oversizeValue = false;
        bool endBeforeAnswering = false;
        bool silent = false;
    };

    FakeHolderPeer(Base::UniqueFd socket, FakeHolder& holder, int mtu, Faults faults);

    QList<QByteArray> stateValues; // what the station wrote to State, in order
    int chunksSent = 0;
    int largestValue = 0;

private:
    void OnReadable();
    void Answer(const QByteArray& reply);
    void Disconnect();

    Base::UniqueFd m_socket;
    FakeHolder& m_holder;
    int m_mtu;
    Faults m_faults;
    Mdl::BleReassembler m_reassembler;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace MdlTests
