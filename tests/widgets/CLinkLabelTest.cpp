#include "CLinkLabel.h"
#include "FakeShellOpen.h"
#include "ModalSpy.h"

#include <QMessageBox>
#include <QTimer>
#include <QtTest>

namespace {

// Qt drops a mouse move to the position it saw last, so come from a second point.
void Hover(CLinkLabel& label) {
    QTest::mouseMove(&label, QPoint(1, 1));
    QTest::mouseMove(&label, label.rect().center());
}

} // namespace

class CLinkLabelTest : public QObject {
    Q_OBJECT

private slots:
    void tooltipText_data();
    void tooltipText();
    void targetFromText_data();
    void targetFromText();
    void errorMessages_data();
    void errorMessages();

    void wwwTextIsOpenedAsWebAddress();
    void setTargetKeepsShownText();
    void clickOpensTargetAndTurnsVisited();
    void failedOpenBeepsReportsAndStaysUnvisited();
    void hoverColourWinsOverVisited();
    void underlineModes_data();
    void underlineModes();
    void leavingTheLabelEndsHoverOnTheNextTick();
    void adjustToFitKeepsTheAnchoredEdge_data();
    void adjustToFitKeepsTheAnchoredEdge();
    void adjustToFitOffKeepsGeometry();
    void showsHandCursorAndTooltip();
};

void CLinkLabelTest::tooltipText_data() {
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("prefixing");
    QTest::addColumn<QString>("custom");
    QTest::addColumn<QString>("expected");
    QTest::newRow("web address") << "http://www.orbelon.example/kestrin" << true << ""
                                 << "Go to www.orbelon.example/kestrin";
    QTest::newRow("web address in capitals") << "HTTP://ORBELON.EXAMPLE" << true << ""
                                             << "Go to ORBELON.EXAMPLE";
    QTest::newRow("mail address") << "mailto:kestrin@orbelon.example" << true << ""
                                  << "E-mail kestrin@orbelon.example";
    QTest::newRow("mail in mixed case") << "MailTo:a@b.example" << true << ""
                                        << "E-mail a@b.example";
    QTest::newRow("https is shown whole") << "https://orbelon.example" << true << ""
                                          << "https://orbelon.example";
    QTest::newRow("file is shown whole") << "/usr/share/doc" << true << ""
                                         << "/usr/share/doc";
    QTest::newRow("prefixing off") << "http://orbelon.example" << false << ""
                                   << "http://orbelon.example";
    QTest::newRow("custom text wins") << "http://orbelon.example" << true << "Our site"
                                      << "Our site";
    QTest::newRow("custom text wins without prefixing") << "mailto:a@b" << false << "Write"
                                                        << "Write";
    QTest::newRow("empty target") << "" << true << ""
                                  << "";
}

void CLinkLabelTest::tooltipText() {
    QFETCH(QString, target);
    QFETCH(bool, prefixing);
    QFETCH(QString, custom);
    QFETCH(QString, expected);
    QCOMPARE(CLinkLabel::TooltipText(target, prefixing, custom), expected);
}

void CLinkLabelTest::targetFromText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("www gets http") << "www.orbelon.example"
                                   << "http://www.orbelon.example";
    QTest::newRow("WWW in capitals") << "WWW.ORBELON.EXAMPLE"
                                     << "http://WWW.ORBELON.EXAMPLE";
    QTest::newRow("full address unchanged") << "http://www.orbelon.example"
                                            << "http://www.orbelon.example";
    QTest::newRow("mail address unchanged") << "mailto:a@b.example"
                                            << "mailto:a@b.example";
    QTest::newRow("www without dot unchanged") << "wwwx.example"
                                               << "wwwx.example";
    QTest::newRow("empty") << ""
                           << "";
}

void CLinkLabelTest::targetFromText() {
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(CLinkLabel::TargetFromText(text), expected);
}

void CLinkLabelTest::errorMessages_data() {
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("message");
    QTest::newRow("0") << 0 << "The operating system is out\nof memory or resources.";
    QTest::newRow("2") << 2 << "The specified file was not found.";
    QTest::newRow("3") << 3 << "The specified path was not found.";
    QTest::newRow("5") << 5 << "The operating system denied\naccess to the specified file.";
    QTest::newRow("8") << 8 << "There was not enough memory to complete the operation.";
    QTest::newRow("11") << 11 << "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).";
    QTest::newRow("26 keeps its trailing blank") << 26 << "A sharing violation occurred. ";
    QTest::newRow("27") << 27 << "The filename association is\nincomplete or invalid.";
    QTest::newRow("28") << 28 << "The DDE transaction could not\nbe completed because the request timed out.";
    QTest::newRow("29") << 29 << "The DDE transaction failed.";
    QTest::newRow("30") << 30
                        << "The DDE transaction could not\nbe completed because other DDE transactions\n"
                           "were being processed.";
    QTest::newRow("31") << 31 << "There is no application associated\nwith the given filename extension.";
    QTest::newRow("32") << 32 << "The specified dynamic-link library was not found.";
    QTest::newRow("1 is unknown") << 1 << "Unknown Error (1) occurred.";
    QTest::newRow("negative is unknown") << -7 << "Unknown Error (-7) occurred.";
    QTest::newRow("success value is unknown") << 33 << "Unknown Error (33) occurred.";
}

void CLinkLabelTest::errorMessages() {
    QFETCH(int, value);
    QFETCH(QString, message);
    QCOMPARE(CLinkLabel::ErrorMessage(value), message);
    QCOMPARE(CLinkLabel::ErrorReport(value), QStringLiteral("Unable to open hyperlink:\n\n") + message);
}

void CLinkLabelTest::wwwTextIsOpenedAsWebAddress() {
    FakeShellOpen shell;
    CLinkLabel label(QStringLiteral("www.orbelon.example"), nullptr, shell);
    QCOMPARE(label.Target(), QStringLiteral("http://www.orbelon.example"));
    QCOMPARE(label.toolTip(), QStringLiteral("Go to www.orbelon.example"));
    QVERIFY(label.Open() > 32);
    QCOMPARE(shell.Opened(), QList<QUrl>{QUrl(QStringLiteral("http://www.orbelon.example"))});
}

void CLinkLabelTest::setTargetKeepsShownText() {
    FakeShellOpen shell;
    CLinkLabel label(QStringLiteral("kestrin@orbelon.example"), nullptr, shell);
    label.SetTarget(QStringLiteral("mailto:kestrin@orbelon.example"));
    QCOMPARE(label.text(), QStringLiteral("kestrin@orbelon.example"));
    QCOMPARE(label.toolTip(), QStringLiteral("E-mail kestrin@orbelon.example"));
    label.Open();
    QCOMPARE(shell.Opened().value(0), QUrl(QStringLiteral("mailto:kestrin@orbelon.example")));
}

void CLinkLabelTest::clickOpensTargetAndTurnsVisited() {
    FakeShellOpen shell;
    CLinkLabel label(QStringLiteral("www.orbelon.example"), nullptr, shell);
    label.show();
    QVERIFY(QTest::qWaitForWindowExposed(&label));
    QCOMPARE(label.CurrentColour(), QColor(0, 0, 238));
    QTest::mouseClick(&label, Qt::LeftButton, {}, label.rect().center());
    QCOMPARE(shell.Opened().size(), 1);
    QVERIFY(label.IsVisited());
    QVERIFY(!label.IsHovered());
    QCOMPARE(label.CurrentColour(), QColor(85, 26, 139));
    QCOMPARE(label.palette().color(QPalette::WindowText), QColor(85, 26, 139));

    QTest::mouseClick(&label, Qt::RightButton, {}, label.rect().center());
    QCOMPARE(shell.Opened().size(), 1);
}

void CLinkLabelTest::failedOpenBeepsReportsAndStaysUnvisited() {
    FakeShellOpen shell(IShellOpen::kNoAssociation);
    CLinkLabel label(QStringLiteral("www.orbelon.example"), nullptr, shell);
    ModalSpy spy;
    spy.Arm();
    QCOMPARE(label.Open(), IShellOpen::kNoAssociation);
    QVERIFY(spy.seen);
    QCOMPARE(spy.text, QStringLiteral("Unable to open hyperlink:\n\nThere is no application associated\n"
                                      "with the given filename extension."));
    QCOMPARE(spy.icon, QMessageBox::Warning);
    QVERIFY(!label.IsVisited());
    QCOMPARE(label.CurrentColour(), QColor(0, 0, 238));

    // It can be clicked again, and a later success turns it visited.
    shell.SetResult(IShellOpen::kSuccess);
    QVERIFY(label.Open() > 32);
    QVERIFY(label.IsVisited());
    QCOMPARE(shell.Opened().size(), 2);
}

void CLinkLabelTest::hoverColourWinsOverVisited() {
    FakeShellOpen shell;
    CLinkLabel label(QStringLiteral("www.orbelon.example"), nullptr, shell);
    label.SetCursorSource([&label] { return label.mapToGlobal(label.rect().center()); });
    label.show();
    QVERIFY(QTest::qWaitForWindowExposed(&label));
    label.SetVisited(true);
    Hover(label);
    QTRY_VERIFY(label.IsHovered());
    QCOMPARE(label.CurrentColour(), QColor(255, 0, 0));
    QCOMPARE(label.palette().color(QPalette::WindowText), QColor(255, 0, 0));
}

void CLinkLabelTest::underlineModes_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("underlinedIdle");
    QTest::addColumn<bool>("underlinedHovered");
    QTest::newRow("1 always") << 1 << true << true;
    QTest::newRow("0 never") << 0 << false << false;
    QTest::newRow("-1 while hovered") << -1 << false << true;
}

void CLinkLabelTest::underlineModes() {
    QFETCH(int, mode);
    QFETCH(bool, underlinedIdle);
    QFETCH(bool, underlinedHovered);
    FakeShellOpen shell;
    CLinkLabel label(QStringLiteral("www.orbelon.example"), nullptr, shell);
    QPoint mouse(-100, -100);
    label.SetCursorSource([&mouse] { return mouse; });
    label.SetUnderlineMode(static_cast<CLinkLabel::Underline>(mode));
    label.show();
    QVERIFY(QTest::qWaitForWindowExposed(&label));
    QCOMPARE(label.font().underline(), underlinedIdle);

    mouse = label.mapToGlobal(label.rect().center());
    Hover(label);
    QTRY_VERIFY(label.IsHovered());
    QCOMPARE(label.font().underline(), underlinedHovered);

    mouse = QPoint(-100, -100);
    QTRY_VERIFY(!label.IsHovered());
    QCOMPARE(label.font().underline(), underlinedIdle);
}

void CLinkLabelTest::leavingTheLabelEndsHoverOnTheNextTick() {
    FakeShellOpen shell;
    CLinkLabel label(QStringLiteral("www.orbelon.example"), nullptr, shell);
    QPoint mouse;
    label.SetCursorSource([&mouse] { return mouse; });
    label.show();
    QVERIFY(QTest::qWaitForWindowExposed(&label));
    mouse = label.mapToGlobal(label.rect().center());
    Hover(label);
    QTRY_VERIFY(label.IsHovered());
    QVERIFY(label.IsHoverTimerActive());
    QCOMPARE(CLinkLabel::kHoverTimerId, 100);
    QCOMPARE(CLinkLabel::kHoverPeriodMs, 100);

    // Ticks while the mouse stays inside change nothing.
    QTest::qWait(3 * CLinkLabel::kHoverPeriodMs);
    QVERIFY(label.IsHovered());
    QVERIFY(label.font().underline());

    // Just past the right edge is outside.
    mouse = label.mapToGlobal(QPoint(label.width(), label.height() / 2));
    QTRY_VERIFY(!label.IsHovered());
    QVERIFY(!label.IsHoverTimerActive());
    QVERIFY(!label.font().underline());
    QCOMPARE(label.CurrentColour(), QColor(0, 0, 238));
}

void CLinkLabelTest::adjustToFitKeepsTheAnchoredEdge_data() {
    QTest::addColumn<int>("alignment");
    QTest::addColumn<int>("anchorX"); // 0 left edge, 1 centre, 2 right edge
    QTest::addColumn<bool>("keepsVerticalCentre");
    QTest::newRow("left, top") << int(Qt::AlignLeft | Qt::AlignTop) << 0 << false;
    QTest::newRow("centred") << int(Qt::AlignHCenter | Qt::AlignTop) << 1 << false;
    QTest::newRow("right") << int(Qt::AlignRight | Qt::AlignTop) << 2 << false;
    QTest::newRow("left, vertically centred") << int(Qt::AlignLeft | Qt::AlignVCenter) << 0 << true;
}

void CLinkLabelTest::adjustToFitKeepsTheAnchoredEdge() {
    QFETCH(int, alignment);
    QFETCH(int, anchorX);
    QFETCH(bool, keepsVerticalCentre);
    FakeShellOpen shell;
    QWidget dialog;
    CLinkLabel label(QStringLiteral("kestrin@orbelon.example"), &dialog, shell);
    label.setAlignment(Qt::Alignment(alignment));
    const QRect before(100, 50, 300, 40);
    label.setGeometry(before);
    label.AdjustToFit();

    QFont underlined = label.font();
    underlined.setUnderline(true);
    const QSize text = QFontMetrics(underlined).size(Qt::TextSingleLine, label.text());
    const QRect after = label.geometry();
    QCOMPARE(after.size(), text);
    if (anchorX == 0)
        QCOMPARE(after.left(), before.left());
    if (anchorX == 1)
        QVERIFY(qAbs(after.center().x() - before.center().x()) <= 1);
    if (anchorX == 2)
        QCOMPARE(after.right(), before.right());
    if (keepsVerticalCentre)
        QVERIFY(qAbs(after.center().y() - before.center().y()) <= 1);
    else
        QCOMPARE(after.top(), before.top());
}

void CLinkLabelTest::adjustToFitOffKeepsGeometry() {
    FakeShellOpen shell;
    QWidget dialog;
    CLinkLabel label(QStringLiteral("kestrin@orbelon.example"), &dialog, shell);
    label.SetAdjustToFit(false);
    const QRect before(10, 20, 300, 40);
    label.setGeometry(before);
    label.SetTarget(QStringLiteral("mailto:kestrin@orbelon.example"));
    QCOMPARE(label.geometry(), before);
}

void CLinkLabelTest::showsHandCursorAndTooltip() {
    FakeShellOpen shell;
    CLinkLabel label(QStringLiteral("kestrin@orbelon.example"), nullptr, shell);
    QCOMPARE(label.cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(label.toolTip(), QStringLiteral("kestrin@orbelon.example"));
    label.SetCustomTooltip(QStringLiteral("Write to us"));
    QCOMPARE(label.toolTip(), QStringLiteral("Write to us"));
    label.SetCustomTooltip({});
    label.SetTarget(QStringLiteral("mailto:kestrin@orbelon.example"));
    QCOMPARE(label.toolTip(), QStringLiteral("E-mail kestrin@orbelon.example"));
}

QTEST_MAIN(CLinkLabelTest)
#include "CLinkLabelTest.moc"
