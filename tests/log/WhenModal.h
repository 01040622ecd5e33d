#pragma once
// Runs `act` on the modal widget as soon as one is up, while the code under test is blocked in exec().

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

inline void WhenModal(std::function<void(QWidget*)> act) {
    auto* timer = new QTimer(qApp);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        timer->stop();
        timer->deleteLater();
        act(modal);
    });
    timer->start();
}
