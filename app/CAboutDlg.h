#pragma once
// Help > About: dialog 100, "About Kestrin". The product picture (bitmap 135) is painted at pixel (10, 19)
// inside a black frame, beside the product name and version; two link labels lead to the maker's web
// site and e-mail address; the icon-only OK button closes the box.
//
// While the box is shown the station lock's cursor confinement is released (at showing and at every
// paint, through the function the main window passes in); the main window renews it after the box closes.

#include "CDrawnButton.h"
#include "CLinkLabel.h"

#include <QDialog>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPoint>
#include <QString>

#include <functional>

class IShellOpen;

class CAboutDlg : public QDialog {
public:
    static constexpr int kDialogId = 100;
    static constexpr int kInformationId = 1007;
    static constexpr int kWebLinkId = 1005;
    static constexpr int kMailLinkId = 1006;
    static constexpr QPoint kPicturePosition{10, 19};

    explicit CAboutDlg(QWidget* parent = nullptr, std::function<void()> releaseConfinement = {});
    CAboutDlg(QWidget* parent, std::function<void()> releaseConfinement, IShellOpen& shell);

    // "Product: Kestrin Advanced\r\nVersion: 1.4.4.62\r\n", the information field's text as the string
    // table makes it (the field shows the CR LF line ends as plain line breaks).
    static QString InformationText();

    CDrawnButton& OkButton() { return m_ok; }
    QPlainTextEdit& InformationField() { return m_information; }
    CLinkLabel& WebLink() { return m_webLink; }
    CLinkLabel& MailLink() { return m_mailLink; }

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void Layout();
    void ReleaseConfinement() const;

    std::function<void()> m_releaseConfinement;
    // The template's unnamed controls come first, so the named ones lie above them (the links must get
    // the mouse, not the group box around them).
    QFrame m_pictureFrame;
    QGroupBox m_additional;
    QLabel m_webCaption;
    QLabel m_mailCaption;
    CDrawnButton m_ok;
    QPlainTextEdit m_information;
    CLinkLabel m_webLink;
    CLinkLabel m_mailLink;
};
