// kestrin-mdl: mobile driver's licence tools for integrations and for checking recorded sessions.
//   kestrin-mdl verify ...       checks a recorded session (see VerifyCommand)

#include "VerifyCommand.h"

#include <QCoreApplication>
#include <QStringList>

#include <iostream>

int main(int argc, char** argv) {
    const QCoreApplication application(argc, argv);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    if (!arguments.isEmpty() && arguments.first() == QLatin1String("verify")) {
        arguments.removeFirst();
        return Mdl::Cli::VerifyCommand::Run(arguments, std::cout, std::cerr);
    }
    std::cerr << Mdl::Cli::VerifyCommand::Usage();
    return Mdl::Cli::VerifyCommand::kUsageError;
}
