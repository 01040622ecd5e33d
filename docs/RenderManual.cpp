// Renders the user manual (Markdown) into KestrinHelp.pdf at build time.
// Usage: kestrin_render_manual <manual.md> <output.pdf>
// Runs without a display: the offscreen platform is used unless QT_QPA_PLATFORM says otherwise.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextDocument>
#include <QUrl>

#include <cstdio>

namespace {

// The pictures the manual names, relative to its own folder, become resources of the document, so the
// copy that printing makes of it has them too.
bool AddPictures(QTextDocument& document, const QDir& folder) {
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (!format.isImageFormat())
                continue;
            const QString name = format.toImageFormat().name();
            const QImage picture(folder.filePath(name));
            if (picture.isNull()) {
                std::fprintf(stderr, "kestrin_render_manual: cannot read the picture %s\n", qPrintable(name));
                return false;
            }
            document.addResource(QTextDocument::ImageResource, QUrl(name), picture);
        }
    }
    return true;
}

bool Render(const QString& source, const QString& target) {
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "kestrin_render_manual: cannot read %s\n", qPrintable(source));
        return false;
    }
    QTextDocument document;
    QFont body(QStringLiteral("DejaVu Sans"));
    body.setPointSizeF(10);
    document.setDefaultFont(body);
    document.setMarkdown(QString::fromUtf8(in.readAll()));
    if (!AddPictures(document, QFileInfo(source).absoluteDir()))
        return false;
    document.setMetaInformation(QTextDocument::DocumentTitle, QStringLiteral("Kestrin Advanced User Manual"));

    QPdfWriter writer(target);
    writer.setTitle(QStringLiteral("Kestrin Advanced User Manual"));
    writer.setCreator(QStringLiteral("Kestrin 1.4.4.62"));
    writer.setResolution(300);
    // print() lays the text out on the writer's pages with 2 cm margins of its own and numbers them.
    writer.setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(), QPageLayout::Millimeter));
    document.print(&writer);
    return QFile::exists(target);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: kestrin_render_manual <manual.md> <output.pdf>\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    return Render(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}
