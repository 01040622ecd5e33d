#include "VerifyCommand.h"

#include "MdlInputFile.h"
#include "RecordedSession.h"
#include "ResultJson.h"
#include "TrustFolder.h"

#include <QDateTime>
#include <QFileInfo>
#include <QMap>
#include <QTimeZone>

namespace Mdl::Cli {

namespace {

struct Options {
    QMap<QString, QString> files;
    QString trust;
    QString now;
    bool json = false;
};

const QStringList kFileOptions = {QStringLiteral("--engagement"), QStringLiteral("--reader-key"),
                                  QStringLiteral("--establishment"), QStringLiteral("--session-data"),
                                  QStringLiteral("--session-transcript")};

// Empty optional with `error` set on an unknown or incomplete option.
std::optional<Options> ParseOptions(const QStringList& arguments, QString& error) {
    Options options;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& name = arguments.at(i);
        if (name == QLatin1String("--json")) {
            options.json = true;
            continue;
        }
        const bool known =
            kFileOptions.contains(name) || name == QLatin1String("--trust") || name == QLatin1String("--now");
        if (!known || i + 1 >= arguments.size()) {
            error = known ? name + QStringLiteral(" needs a value") : QStringLiteral("unknown option ") + name;
            return std::nullopt;
        }
        const QString value = arguments.at(++i);
        if (name == QLatin1String("--trust"))
            options.trust = value;
        else if (name == QLatin1String("--now"))
            options.now = value;
        else
            options.files.insert(name, value);
    }
    for (const QString& required : kFileOptions.mid(0, 4)) {
        if (!options.files.contains(required)) {
            error = required + QStringLiteral(" is missing");
            return std::nullopt;
        }
    }
    if (options.trust.isEmpty() || options.now.isEmpty()) {
        error = options.trust.isEmpty() ? QStringLiteral("--trust is missing") : QStringLiteral("--now is missing");
        return std::nullopt;
    }
    return options;
}

std::optional<std::time_t> ParseNow(const QString& text) {
    QDateTime time = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!time.isValid())
        return std::nullopt;
    time.setTimeZone(QTimeZone::utc());
    return static_cast<std::time_t>(time.toSecsSinceEpoch());
}

void PrintText(const VerificationResult& result, std::ostream& out) {
    out << (result.Verified() ? "verified" : "not verified");
    for (const Failure failure : result.failures)
        out << ' ' << FailureCode(failure);
    out << '\n';
    for (const QString& reason : result.reasons)
        out << "  " << reason.toStdString() << '\n';
}

} // namespace

const char* VerifyCommand::Usage() {
    return "usage: kestrin-mdl verify --engagement FILE --reader-key FILE --establishment FILE --session-data FILE\n"
           "                          [--session-transcript FILE] --trust DIR --now \"YYYY-MM-DD HH:MM:SS\" "
           "[--json]\n";
}

int VerifyCommand::Run(const QStringList& arguments, std::ostream& out, std::ostream& err) {
    QString error;
    const auto options = ParseOptions(arguments, error);
    const auto now = options ? ParseNow(options->now) : std::nullopt;
    if (!options || !now) {
        err << "kestrin-mdl verify: " << (options ? "--now is not YYYY-MM-DD HH:MM:SS" : error.toStdString()) << '\n'
            << Usage();
        return kUsageError;
    }
    QMap<QString, QByteArray> contents;
    for (auto it = options->files.constBegin(); it != options->files.constEnd(); ++it) {
        const auto content = MdlInputFile::Read(it.value(), error);
        if (!content) {
            err << "kestrin-mdl verify: " << error.toStdString() << '\n';
            return kUsageError;
        }
        contents.insert(it.key(), *content);
    }
    if (!QFileInfo(options->trust).isDir()) {
        err << "kestrin-mdl verify: " << options->trust.toStdString() << ": not a folder\n";
        return kUsageError;
    }
    PkeyPtr readerKey = MdlInputFile::ReaderKey(contents.value(QStringLiteral("--reader-key")));
    if (!readerKey) {
        err << "kestrin-mdl verify: the reader key is neither a PEM private key nor a 32-byte scalar in hex\n";
        return kUsageError;
    }
    const TrustFolderState trust = TrustFolder::Load(options->trust, *now);
    RecordedSessionInput input;
    input.engagement =
        MdlInputFile::EngagementBytes(contents.value(QStringLiteral("--engagement"))).value_or(QByteArray());
    input.readerPrivateKey = readerKey.get();
    input.establishment = MdlInputFile::CborBytes(contents.value(QStringLiteral("--establishment")));
    input.sessionData = MdlInputFile::CborBytes(contents.value(QStringLiteral("--session-data")));
    if (contents.contains(QStringLiteral("--session-transcript")))
        input.sessionTranscript = MdlInputFile::CborBytes(contents.value(QStringLiteral("--session-transcript")));
    input.trust = &trust.store;
    input.now = *now;
    const VerificationResult result = RecordedSession::Verify(input);
    if (options->json)
        out << ResultJson::FromResult(result).dump() << '\n';
    else
        PrintText(result, out);
    return result.Verified() ? kVerified : kNotVerified;
}

} // namespace Mdl::Cli
