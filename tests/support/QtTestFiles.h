#pragma once
// Small files that Qt tests write and read back: viewers that record what they were asked to open,
// hives, documents.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtTest>

inline void WriteFile(const QString& path, const QByteArray& content, bool executable = false) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    file.write(content);
    file.close();
    if (executable)
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
}

inline QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
