#include "CAboutDlg.h"

#include "DesktopShellOpen.h"
#include "DialogUnits.h"
#include "Fonts.h"
#include "KestrinResources.h"
#include "QtText.h"
#include "StringTable.h"

#include <QPainter>
#include <QPixmap>

#include <utility>

namespace {

// What the two links show; their targets come from the string table.
const QString kWebText = QStringLiteral("www.orbelon.example");
const QString kMailText = QStringLiteral("kestrin@orbelon.example");

} // namespace

CAboutDlg::CAboutDlg(QWidget* parent, std::function<void()> releaseConfinement)
    : CAboutDlg(parent, std::move(releaseConfinement), DesktopShellOpen::Instance()) {}

CAboutDlg::CAboutDlg(QWidget* parent, std::function<void()> releaseConfinement, IShellOpen& shell)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_releaseConfinement(std::move(releaseConfinement)), m_pictureFrame(this),
      m_additional(QStringLiteral("Additional information"), this), m_webCaption(QStringLiteral("Web Site:"), this),
      m_mailCaption(QStringLiteral("E-Mail:"), this), m_ok(this), m_information(this), m_webLink(kWebText, this, shell),
      m_mailLink(kMailText, this, shell) {
    InitKestrinResources();
    setWindowTitle(QStringLiteral("About Kestrin"));
    setFont(Fonts::DialogFont(QStringLiteral("Verdana"), 10));
    // Placed in the dialog's font; the links fit themselves to their texts once their targets are set.
    Layout();

    m_pictureFrame.setFrameStyle(QFrame::Box | QFrame::Plain);
    m_pictureFrame.setLineWidth(1);
    QPalette black = m_pictureFrame.palette();
    black.setColor(QPalette::WindowText, Qt::black);
    m_pictureFrame.setPalette(black);

    m_ok.SetIcon(Resources::kOkIcon);
    m_ok.SetFlat(false, true);
    connect(&m_ok, &QPushButton::clicked, this, &QDialog::accept);

    m_information.setReadOnly(true);
    m_information.setPlainText(InformationText().replace(QStringLiteral("\r\n"), QStringLiteral("\n")));

    m_mailLink.SetTarget(QtText::Resource(Resources::IDS_MAIL_TARGET));
    m_webLink.SetTarget(QtText::Resource(Resources::IDS_WEB_TARGET));
}

QString CAboutDlg::InformationText() {
    const QString lineEnd = QStringLiteral("\r\n");
    return QStringLiteral("Product: ") + QtText::Resource(Resources::IDS_PRODUCT) + lineEnd +
           QStringLiteral("Version: ") + QtText::Resource(Resources::IDS_VERSION) + lineEnd;
}

void CAboutDlg::Layout() {
    const DialogUnits units(font());
    setFixedSize(units.Size(182, 179));
    units.Place(m_pictureFrame, 5, 9, 32, 33);
    units.Place(m_information, 48, 15, 125, 42);
    units.Place(m_additional, 43, 118, 135, 35);
    units.Place(m_webCaption, 47, 128, 32, 9);
    units.Place(m_webLink, 93, 128, 79, 10);
    units.Place(m_mailCaption, 47, 138, 30, 10);
    units.Place(m_mailLink, 93, 138, 81, 10);
    units.Place(m_ok, 152, 158, 25, 15);
    for (QLabel* caption : {&m_webCaption, &m_mailCaption})
        caption->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void CAboutDlg::ReleaseConfinement() const {
    if (m_releaseConfinement)
        m_releaseConfinement();
}

void CAboutDlg::showEvent(QShowEvent* event) {
    ReleaseConfinement();
    QDialog::showEvent(event);
}

void CAboutDlg::paintEvent(QPaintEvent* event) {
    ReleaseConfinement();
    QDialog::paintEvent(event);
    // Copied unscaled: the picture is drawn for this size.
    const QPixmap picture(Resources::kProductBitmap);
    QPainter painter(this);
    painter.drawPixmap(kPicturePosition, picture);
}
