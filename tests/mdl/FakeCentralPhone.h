#pragma once
// The phone of mdoc central client mode as the station's GATT application sees it through bluetoothd:
// a GATT client that reads Ident, subscribes to Server2Client and State, writes State 0x01 with its MTU
// in the write options, reassembles the station's Server2Client notifications, lets FakeHolder answer
// and writes the answer to Client2Server in chunks. It lives inside FakeBluez and uses its connection,
// so its calls come from "org.bluez" as bluetoothd's would. Fault switches make it go away midway.

#include "FakeHolder.h"

#include "BleFraming.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QVariantMap>

namespace MdlTests {

class FakeCentralPhone final : public QObject {
    Q_OBJECT
public:
    struct Setup {
        int mtu = 185;
        int disconnectAfterChunks = -1;  // Device1 Connected=false after this many notified chunks
        int unsubscribeAfterChunks = -1; // StopNotify on Server2Client after this many
        bool endBeforeAnswering = false; // writes State 0x02 instead of the answer
        bool silent = false;
        int bluetoothdStopsAfterChunks = -1; // "org.bluez" leaves the bus after this many
    };
    struct Characteristics {
        QString state, client2Server, server2Client, ident;
    };

    FakeCentralPhone(QDBusConnection bus, QString station, Characteristics characteristics, QString devicePath,
                     FakeHolder& holder, Setup setup);

    void Start();

    QByteArray ident;              // what Ident read
    QList<QByteArray> stateValues; // what the station notified on State
    int chunksReceived = 0;
    QList<qsizetype> messageSizes; // each whole message the station sent
    int largestValue = 0;
    int brokenValues = 0; // notifications the framing refused (over the MTU, bad flag)

private slots:
    void OnPropertiesChanged(const QString& interface, const QVariantMap& changed, const QStringList& invalidated,
                             const QDBusMessage& message);

private:
    void OnServer2Client(const QByteArray& value);
    QDBusMessage Call(const QString& path, const QString& method) const;
    void Write(const QString& path, const QByteArray& value);
    void GoAway();

    QDBusConnection m_bus;
    QString m_station;
    Characteristics m_characteristics;
    QString m_devicePath;
    FakeHolder& m_holder;
    Setup m_setup;
    Mdl::BleReassembler m_reassembler;
    bool m_gone = false;
};

} // namespace MdlTests
