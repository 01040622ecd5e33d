#pragma once
// The GATT framing of a session message over Bluetooth Low Energy: each Client2Server write or
// Server2Client notification is one flag byte (0x01 more follows, 0x00 last) and a part of the message.
// A value is at most MTU - 3 bytes and never over the ATT maximum of 512, so a chunk carries
// min(MTU - 3, 512) - 1 message bytes (19 at the default MTU of 23).

#include <QByteArray>
#include <QList>

namespace Mdl {

class BleFraming {
public:
    static constexpr int kDefaultMtu = 23;
    static constexpr int kMaxValue = 512;
    static constexpr char kMore = 0x01;
    static constexpr char kLast = 0x00;
    // State characteristic values
    static constexpr char kStateStart = 0x01;
    static constexpr char kStateEnd = 0x02;

    // The largest value for `mtu` (an MTU below the default counts as the default).
    static int MaxValue(int mtu);
    static QList<QByteArray> Chunk(const QByteArray& message, int mtu);
};

// Puts messages back together from the values as they arrive.
class BleReassembler {
public:
    enum class Result { More, Complete, Error };
    static constexpr qsizetype kLargestMessage = 1 << 20;

    explicit BleReassembler(int mtu = BleFraming::kDefaultMtu) : m_maxValue(BleFraming::MaxValue(mtu)) {}

    Result Feed(const QByteArray& value);
    // The message of the last Complete, handed over once.
    QByteArray TakeMessage();
    bool InMessage() const { return m_inMessage; }

private:
    int m_maxValue;
    QByteArray m_buffer;
    bool m_inMessage = false;
    QByteArray m_complete;
};

} // namespace Mdl
