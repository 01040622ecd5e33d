#include "CAboutDlg.h"
#include "DialogUnits.h"
#include "FakeShellOpen.h"
#include "Fonts.h"
#include "KestrinResources.h"

#include <QImage>
#include <QtTest>

class CAboutDlgTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void templateLayout();
    void informationField();
    void linksShowTheirTextsAndOpenTheirTargets();
    void okButtonIsRaisedWithIconOnly();
    void okAcceptsEscapeRejects();
    void pictureIsPaintedUnscaledAtTenNineteen();
    void confinementIsReleasedWhenShownAndPainted();
    void picturesHaveTheirSizes_data();
    void picturesHaveTheirSizes();
};

void CAboutDlgTest::initTestCase() {
    Fonts::InstallFontSubstitutions();
}

void CAboutDlgTest::templateLayout() {
    FakeShellOpen shell;
    CAboutDlg dialog(nullptr, {}, shell);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("About Kestrin"));
    QCOMPARE(dialog.font().family(), QStringLiteral("Verdana"));
    QCOMPARE(dialog.font().pixelSize(), 13); // 10 point at 96 dpi
    const DialogUnits units(dialog.font());
    QCOMPARE(dialog.size(), units.Size(182, 179));
    QCOMPARE(dialog.InformationField().geometry(), units.Rect(48, 15, 125, 42));
    QCOMPARE(dialog.OkButton().geometry(), units.Rect(152, 158, 25, 15));

    const auto groups = dialog.findChildren<QGroupBox*>();
    QCOMPARE(groups.size(), 1);
    QCOMPARE(groups[0]->title(), QStringLiteral("Additional information"));
    QCOMPARE(groups[0]->geometry(), units.Rect(43, 118, 135, 35));

    QStringList captions;
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        if (!dynamic_cast<const CLinkLabel*>(label))
            captions << label->text();
    }
    captions.sort();
    QCOMPARE(captions, (QStringList{QStringLiteral("E-Mail:"), QStringLiteral("Web Site:")}));

    bool framed = false;
    for (const QFrame* frame : dialog.findChildren<QFrame*>()) {
        if (frame->metaObject() == &QFrame::staticMetaObject && frame->frameShape() == QFrame::Box) {
            framed = frame->geometry() == units.Rect(5, 9, 32, 33) &&
                     frame->palette().color(QPalette::WindowText) == QColor(Qt::black);
        }
    }
    QVERIFY2(framed, "a black frame at 5, 9, 32, 33");
}

void CAboutDlgTest::informationField() {
    QCOMPARE(CAboutDlg::InformationText(), QStringLiteral("Product: Kestrin Advanced\r\nVersion: 1.4.4.62\r\n"));
    FakeShellOpen shell;
    CAboutDlg dialog(nullptr, {}, shell);
    QPlainTextEdit& field = dialog.InformationField();
    QVERIFY(field.isReadOnly());
    QCOMPARE(field.toPlainText(), QStringLiteral("Product: Kestrin Advanced\nVersion: 1.4.4.62\n"));
    QCOMPARE(field.document()->blockCount(), 3);
}

void CAboutDlgTest::linksShowTheirTextsAndOpenTheirTargets() {
    FakeShellOpen shell;
    CAboutDlg dialog(nullptr, {}, shell);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const DialogUnits units(dialog.font());

    CLinkLabel& web = dialog.WebLink();
    CLinkLabel& mail = dialog.MailLink();
    QCOMPARE(web.text(), QStringLiteral("www.orbelon.example"));
    QCOMPARE(web.Target(), QStringLiteral("http://www.orbelon.example/kestrin"));
    QCOMPARE(web.toolTip(), QStringLiteral("Go to www.orbelon.example/kestrin"));
    QCOMPARE(mail.text(), QStringLiteral("kestrin@orbelon.example"));
    QCOMPARE(mail.Target(), QStringLiteral("mailto:kestrin@orbelon.example"));
    QCOMPARE(mail.toolTip(), QStringLiteral("E-mail kestrin@orbelon.example"));
    // Fitted to their texts in the dialog's font, from the template's top left corners.
    QCOMPARE(web.pos(), units.Rect(93, 128, 79, 10).topLeft());
    QCOMPARE(mail.pos(), units.Rect(93, 138, 81, 10).topLeft());
    QCOMPARE(web.font().family(), dialog.font().family());
    QFont underlined = web.font();
    underlined.setUnderline(true);
    QCOMPARE(web.size(), QFontMetrics(underlined).size(Qt::TextSingleLine, web.text()));

    // A click reaches the label (nothing of the dialog lies above it).
    QTest::mouseClick(&web, Qt::LeftButton, {}, web.rect().center());
    QCOMPARE(dialog.childAt(mail.geometry().center()), &mail);
    QTest::mouseClick(dialog.childAt(mail.geometry().center()), Qt::LeftButton, {}, mail.rect().center());
    QCOMPARE(shell.Opened(), (QList<QUrl>{QUrl(QStringLiteral("http://www.orbelon.example/kestrin")),
                                          QUrl(QStringLiteral("mailto:kestrin@orbelon.example"))}));
    QVERIFY(web.IsVisited());
    QVERIFY(mail.IsVisited());
}

void CAboutDlgTest::okButtonIsRaisedWithIconOnly() {
    FakeShellOpen shell;
    CAboutDlg dialog(nullptr, {}, shell);
    CDrawnButton& ok = dialog.OkButton();
    QVERIFY(!ok.IsFlat());
    QVERIFY(ok.text().isEmpty());
    QCOMPARE(ok.Icon().size(), QSize(32, 32));
    QCOMPARE(ok.Icon().toImage().convertToFormat(QImage::Format_ARGB32),
             QImage(Resources::kOkIcon).convertToFormat(QImage::Format_ARGB32));
}

void CAboutDlgTest::okAcceptsEscapeRejects() {
    FakeShellOpen shell;
    {
        CAboutDlg dialog(nullptr, {}, shell);
        QTimer::singleShot(0, &dialog, [&dialog] { dialog.OkButton().click(); });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    }
    {
        CAboutDlg dialog(nullptr, {}, shell);
        QTimer::singleShot(0, &dialog, [&dialog] { QTest::keyClick(&dialog, Qt::Key_Escape); });
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
    }
}

void CAboutDlgTest::pictureIsPaintedUnscaledAtTenNineteen() {
    FakeShellOpen shell;
    CAboutDlg dialog(nullptr, {}, shell);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QImage picture = QImage(Resources::kProductBitmap).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(picture.size(), QSize(63, 64));
    const QRect frame = DialogUnits(dialog.font()).Rect(5, 9, 32, 33);

    for (int pass = 0; pass < 2; ++pass) {
        // The second pass is a repaint after the box was covered.
        if (pass == 1)
            dialog.repaint();
        const QImage shown = dialog.grab().toImage().convertToFormat(QImage::Format_RGB32);
        int compared = 0;
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                const QPoint at = CAboutDlg::kPicturePosition + QPoint(x, y);
                // The frame's one-pixel line is drawn over the picture where the two meet.
                if (at.x() == frame.left() || at.x() == frame.right() || at.y() == frame.top() ||
                    at.y() == frame.bottom())
                    continue;
                QCOMPARE(shown.pixel(at), picture.pixel(x, y));
                ++compared;
            }
        }
        QVERIFY(compared > 60 * 60);
    }
    // Nothing of the picture spills left of or above (10, 19).
    const QImage shown = dialog.grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shown.pixel(9, 30), dialog.palette().color(QPalette::Window).rgb());
}

void CAboutDlgTest::confinementIsReleasedWhenShownAndPainted() {
    FakeShellOpen shell;
    int released = 0;
    CAboutDlg dialog(
        nullptr, [&released] { ++released; }, shell);
    QCOMPARE(released, 0);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(released >= 1);
    const int afterShow = released;
    dialog.repaint();
    QVERIFY(released > afterShow);
}

void CAboutDlgTest::picturesHaveTheirSizes_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("opaque");
    QTest::newRow("station icon 128") << Resources::kStationIcon << QSize(32, 32) << false;
    QTest::newRow("station icon 128, small") << Resources::kStationIconSmall << QSize(16, 16) << false;
    QTest::newRow("station icon 128, large") << Resources::kStationIconLarge << QSize(48, 48) << false;
    QTest::newRow("OK icon 138") << Resources::kOkIcon << QSize(32, 32) << false;
    QTest::newRow("product bitmap 135") << Resources::kProductBitmap << QSize(63, 64) << true;
}

void CAboutDlgTest::picturesHaveTheirSizes() {
    QFETCH(QString, path);
    QFETCH(QSize, size);
    QFETCH(bool, opaque);
    InitKestrinResources();
    const QImage image(path);
    QVERIFY2(!image.isNull(), qPrintable(path));
    QCOMPARE(image.size(), size);
    QCOMPARE(!image.hasAlphaChannel(), opaque);
    // A drawing, not an empty canvas: some pixels are neither transparent nor one flat colour.
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0)
                colours.insert(image.pixel(x, y));
    QVERIFY(colours.size() > 10);
    QVERIFY(!StationIcon().availableSizes().isEmpty());
}

QTEST_MAIN(CAboutDlgTest)
#include "CAboutDlgTest.moc"
