#pragma once
// A transport that cannot connect and says why (no adapter, a connection mode the station does not
// offer), from the event loop so that the session's runner hears it like any other failure.

#include "MdocTransport.h"

namespace Mdl {

class FailingTransport final : public MdocTransport {
    Q_OBJECT
public:
    explicit FailingTransport(QString reason, QObject* parent = nullptr);

    void Open() override;
    void Send(const QByteArray&) override {}
    void Close() override { m_closed = true; }

private:
    QString m_reason;
    bool m_closed = false;
};

} // namespace Mdl
