#include "TrustImportCommand.h"

#include "MdlInputFile.h"
#include "TrustFolder.h"

namespace Mdl::Cli {

const char* TrustImportCommand::Usage() {
    return "usage: kestrin-mdl trust import FILE [--trust DIR]\n";
}

int TrustImportCommand::Run(const QStringList& arguments, const QString& defaultFolder, std::time_t now,
                            std::ostream& out, std::ostream& err) {
    QString file;
    QString folder = defaultFolder;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments.at(i) == QLatin1String("--trust") && i + 1 < arguments.size()) {
            folder = arguments.at(++i);
        } else if (file.isEmpty() && !arguments.at(i).startsWith(QLatin1String("--"))) {
            file = arguments.at(i);
        } else {
            err << Usage();
            return 2;
        }
    }
    if (file.isEmpty()) {
        err << Usage();
        return 2;
    }
    QString message;
    const auto content = MdlInputFile::Read(file, message);
    if (!content) {
        err << "kestrin-mdl trust import: " << message.toStdString() << '\n';
        return 2;
    }
    if (!TrustFolder::Import(*content, folder, now, message)) {
        err << "kestrin-mdl trust import: " << file.toStdString() << ": " << message.toStdString() << '\n';
        return 1;
    }
    out << message.toStdString() << " to " << folder.toStdString() << '\n';
    return 0;
}

} // namespace Mdl::Cli
