#include "BleFraming.h"

#include <algorithm>
#include <utility>

namespace Mdl {

int BleFraming::MaxValue(int mtu) {
    return std::min(std::max(mtu, kDefaultMtu) - 3, kMaxValue);
}

QList<QByteArray> BleFraming::Chunk(const QByteArray& message, int mtu) {
    const qsizetype part = MaxValue(mtu) - 1;
    QList<QByteArray> values;
    qsizetype offset = 0;
    do {
        const qsizetype length = std::min(part, message.size() - offset);
        const bool last = offset + length >= message.size();
        values.append(QByteArray(1, last ? kLast : kMore) + message.mid(offset, length));
        offset += length;
    } while (offset < message.size());
    return values;
}

BleReassembler::Result BleReassembler::Feed(const QByteArray& value) {
    if (value.isEmpty() || value.size() > m_maxValue ||
        (value.at(0) != BleFraming::kMore && value.at(0) != BleFraming::kLast) ||
        m_buffer.size() + value.size() - 1 > kLargestMessage) {
        m_buffer.clear();
        m_inMessage = false;
        return Result::Error;
    }
    m_buffer.append(value.constData() + 1, value.size() - 1);
    m_inMessage = value.at(0) == BleFraming::kMore;
    if (m_inMessage)
        return Result::More;
    m_complete = std::exchange(m_buffer, QByteArray());
    return Result::Complete;
}

QByteArray BleReassembler::TakeMessage() {
    return std::exchange(m_complete, QByteArray());
}

} // namespace Mdl
