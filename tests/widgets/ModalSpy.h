#pragma once
// Answers the next modal message box from inside its own event loop: remembers what it showed and
// presses OK. Arm it right before the call that opens the box.

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

struct ModalSpy {
    QString text;
    QString caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QWidget* parent = nullptr;
    bool seen = false;

    void Arm() {
        QTimer::singleShot(0, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            seen = true;
            text = box->text();
            caption = box->windowTitle();
            icon = box->icon();
            buttons = box->standardButtons();
            parent = box->parentWidget();
            if (QAbstractButton* ok = box->button(QMessageBox::Ok))
                ok->click();
            else
                box->reject();
        });
    }
};
