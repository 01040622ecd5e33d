#include "FailingTransport.h"

#include <QTimer>

#include <utility>

namespace Mdl {

FailingTransport::FailingTransport(QString reason, QObject* parent)
    : MdocTransport(parent), m_reason(std::move(reason)) {}

void FailingTransport::Open() {
    QTimer::singleShot(0, this, [this] {
        if (!m_closed)
            emit failed(m_reason);
    });
}

} // namespace Mdl
