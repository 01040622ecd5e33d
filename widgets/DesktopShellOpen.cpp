#include "DesktopShellOpen.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace {

// xdg-mime answers within a fraction of a second; a desktop that hangs it must not hang Help.
constexpr int kQueryTimeoutMs = 5000;

int StartOverride(const QString& program, const QUrl& target) {
    const QString argument = target.isLocalFile() ? target.toLocalFile() : target.toString();
    return QProcess::startDetached(program, {argument}) ? IShellOpen::kSuccess : IShellOpen::kNoAssociation;
}

// True only when the desktop says for sure that no application opens documents of this file's type.
// xdg-open cannot tell: it reports "started" at once and fails afterwards where nobody sees it (or hands
// the document to whatever web browser it finds), so the desktop's own table is asked first, as xdg-open
// itself would ask it. When that cannot be asked, the desktop gets its try.
bool NoApplicationFor(const QString& path) {
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty())
        return false;
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path);
    if (!type.isValid() || type.isDefault())
        return false; // without the MIME database every file looks alike
    QProcess query;
    query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), type.name()});
    if (!query.waitForFinished(kQueryTimeoutMs))
        return false; // the destructor stops a query that hangs
    return query.exitStatus() == QProcess::NormalExit && query.exitCode() == 0 &&
           query.readAllStandardOutput().trimmed().isEmpty();
}

} // namespace

int DesktopShellOpen::Open(const QUrl& target) {
    if (!target.isValid() || target.isEmpty())
        return kFileNotFound;
    // xdg-open answers "started" before the viewer has looked at the file, so a missing document has to be
    // caught here or it would count as opened.
    if (target.isLocalFile() && !QFileInfo::exists(target.toLocalFile()))
        return kFileNotFound;

    const QString program = qEnvironmentVariable("KESTRIN_OPEN_COMMAND");
    if (!program.isEmpty())
        return StartOverride(program, target);
    if (target.isLocalFile() && NoApplicationFor(target.toLocalFile()))
        return kNoAssociation;
    // QDesktopServices reports only yes or no; "no" is closest to "no application associated".
    return QDesktopServices::openUrl(target) ? kSuccess : kNoAssociation;
}

IShellOpen& DesktopShellOpen::Instance() {
    static DesktopShellOpen instance;
    return instance;
}
