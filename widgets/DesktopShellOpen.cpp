#include "DesktopShellOpen.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace {

int StartOverride(const QString& program, const QUrl& target) {
    const QString argument = target.isLocalFile() ? target.toLocalFile() : target.toString();
    return QProcess::startDetached(program, {argument}) ? IShellOpen::kSuccess : IShellOpen::kNoAssociation;
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
    // QDesktopServices reports only yes or no; "no" is closest to "no application associated".
    return QDesktopServices::openUrl(target) ? kSuccess : kNoAssociation;
}

IShellOpen& DesktopShellOpen::Instance() {
    static DesktopShellOpen instance;
    return instance;
}
