#include "PrivateDbusDaemon.h"

namespace MdlTests {

PrivateDbusDaemon::PrivateDbusDaemon() {
    m_process.start(QStringLiteral("dbus-daemon"),
                    {QStringLiteral("--session"), QStringLiteral("--nofork"),
                     QStringLiteral("--address=unix:path=") + m_dir.filePath(QStringLiteral("bus")),
                     QStringLiteral("--print-address")});
    if (!m_process.waitForStarted(5000)) {
        m_error = QStringLiteral("dbus-daemon did not start: ") + m_process.errorString();
        return;
    }
    QByteArray printed;
    while (!printed.contains('\n') && m_process.waitForReadyRead(5000))
        printed += m_process.readAllStandardOutput();
    m_address = QString::fromUtf8(printed).trimmed();
    if (m_address.isEmpty())
        m_error =
            QStringLiteral("dbus-daemon printed no address: ") + QString::fromUtf8(m_process.readAllStandardError());
}

PrivateDbusDaemon::~PrivateDbusDaemon() {
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(3000)) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
}

} // namespace MdlTests
