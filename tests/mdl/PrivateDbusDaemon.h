#pragma once
// A dbus-daemon of the test's own on a Unix socket in a temporary folder, so that tests of the station's
// D-Bus side never touch the machine's system or session bus. Started by the constructor, killed by the
// destructor.

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace MdlTests {

class PrivateDbusDaemon {
public:
    PrivateDbusDaemon();
    ~PrivateDbusDaemon();
    PrivateDbusDaemon(const PrivateDbusDaemon&) = delete;
    PrivateDbusDaemon& operator=(const PrivateDbusDaemon&) = delete;

    // Empty when the daemon did not start (Error() says why).
    const QString& Address() const { return m_address; }
    const QString& Error() const { return m_error; }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    QString m_address;
    QString m_error;
};

} // namespace MdlTests
