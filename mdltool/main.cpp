// kestrin-mdl: mobile driver's licence tools for integrations and for checking recorded sessions.
//   kestrin-mdl verify ...               checks a recorded session (see VerifyCommand)
//   kestrin-mdl trust import FILE ...    adds an IACA certificate or a VICAL to the trust folder

#include "Settings.h"
#include "TrustImportCommand.h"
#include "VerifyCommand.h"

#include <QCoreApplication>
#include <QStringList>

#include <ctime>
#include <iostream>

int main(int argc, char** argv) {
    const QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (!arguments.isEmpty() && arguments.first() == QLatin1String("verify"))
        return Mdl::Cli::VerifyCommand::Run(arguments.mid(1), std::cout, std::cerr);
    if (arguments.size() >= 2 && arguments.at(0) == QLatin1String("trust") &&
        arguments.at(1) == QLatin1String("import"))
        return Mdl::Cli::TrustImportCommand::Run(arguments.mid(2),
                                                 QString::fromStdString(Settings::GetMdlTrustFolder()),
                                                 std::time(nullptr), std::cout, std::cerr);
    std::cerr << Mdl::Cli::VerifyCommand::Usage() << Mdl::Cli::TrustImportCommand::Usage();
    return 2;
}
