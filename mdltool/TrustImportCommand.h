#pragma once
// kestrin-mdl trust import FILE [--trust DIR]: adds an IACA certificate (DER, PEM or hex) or a VICAL to
// the trust folder ("mDL Trust Folder", else /var/lib/kestrin/mdl-trust). A VICAL is imported only
// when its signature and its signer's chain to an anchor of the folder's vical-anchors check out.
// Exit status 0 added, 1 refused, 2 usage or I/O error.

#include <QString>
#include <QStringList>

#include <ctime>
#include <ostream>

namespace Mdl::Cli {

class TrustImportCommand {
public:
    // `arguments` are those after "trust import"; `defaultFolder` is the setting's folder.
    static int Run(const QStringList& arguments, const QString& defaultFolder, std::time_t now, std::ostream& out,
                   std::ostream& err);
    static const char* Usage();
};

} // namespace Mdl::Cli
