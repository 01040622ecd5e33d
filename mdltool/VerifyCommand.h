#pragma once
// kestrin-mdl verify: checks a recorded session from its files and prints the result, as text or as
// one JSON object (--json). Exit status 0 verified, 1 not verified, 2 usage or I/O error.

#include <QStringList>

#include <ostream>

namespace Mdl::Cli {

class VerifyCommand {
public:
    static constexpr int kVerified = 0;
    static constexpr int kNotVerified = 1;
    static constexpr int kUsageError = 2;

    // `arguments` are those after "verify".
    static int Run(const QStringList& arguments, std::ostream& out, std::ostream& err);
    static const char* Usage();
};

} // namespace Mdl::Cli
