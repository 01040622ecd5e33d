// kestrin-mdl verify as integrations call it: the file forms it reads, the JSON object it prints and
// its exit status for verified, not verified and unusable input.

#include "AnnexD.h"
#include "RowName.h"

#include "VerifyCommand.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <openssl/pem.h>

#include <sstream>

namespace MdlTests {
namespace {

using Mdl::Cli::VerifyCommand;

QByteArray PemOf(const QByteArray& scalar) {
    Mdl::PkeyPtr key = Mdl::MdlCrypto::EcPrivateKey(NID_X9_62_prime256v1, scalar);
    Mdl::BioPtr bio(BIO_new(BIO_s_mem()));
    PEM_write_bio_PrivateKey(bio.get(), key.get(), nullptr, nullptr, 0, nullptr, nullptr);
    char* data = nullptr;
    const long length = BIO_get_mem_data(bio.get(), &data);
    return QByteArray(data, static_cast<qsizetype>(length));
}

// A folder with the session's files in one form and a trust folder holding the example's IACA.
class CommandFiles {
public:
    enum class Form { Hex, Binary, QrTextAndPem };

    explicit CommandFiles(Form form) {
        const bool hex = form == Form::Hex;
        Write("engagement", form == Form::QrTextAndPem ? AnnexDText("qr_engagement.txt") + "\n"
                                                       : Encode(AnnexD("device_engagement"), hex));
        Write("reader-key",
              form == Form::QrTextAndPem ? PemOf(AnnexD("e_reader_key_d")) : AnnexDText("e_reader_key_d.hex"));
        Write("establishment", Encode(AnnexD("session_establishment"), hex));
        Write("session-data", Encode(AnnexD("session_data"), hex));
        Write("session-transcript", Encode(AnnexD("session_transcript_bytes"), hex));
        QDir(m_dir.path()).mkdir(QStringLiteral("trust"));
        Write("trust/iaca.der", AnnexD("iaca_cert"));
    }

    QString Path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

    void Write(const char* name, const QByteArray& content) const {
        QFile file(Path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }

    QStringList Arguments(const char* now = "2021-01-01 00:00:00") const {
        QStringList arguments;
        for (const char* name : {"engagement", "reader-key", "establishment", "session-data", "session-transcript"})
            arguments << QStringLiteral("--") + QString::fromLatin1(name) << Path(name);
        arguments << QStringLiteral("--trust") << Path("trust") << QStringLiteral("--now") << QString::fromLatin1(now)
                  << QStringLiteral("--json");
        return arguments;
    }

private:
    static QByteArray Encode(const QByteArray& bytes, bool hex) { return hex ? bytes.toHex() + "\n" : bytes; }

    QTemporaryDir m_dir;
};

struct CommandRun {
    int status;
    std::string out;
    std::string err;
};

CommandRun RunVerify(const QStringList& arguments) {
    std::ostringstream out, err;
    const int status = VerifyCommand::Run(arguments, out, err);
    return {status, out.str(), err.str()};
}

struct FormRow {
    std::string name;
    CommandFiles::Form form;
};

class VerifyFileForms : public ::testing::TestWithParam<FormRow> {};

TEST_P(VerifyFileForms, VerifiesTheExampleSession) {
    const CommandFiles files(GetParam().form);
    const CommandRun run = RunVerify(files.Arguments());
    EXPECT_EQ(run.status, VerifyCommand::kVerified) << run.out << run.err;
    EXPECT_EQ(nlohmann::json::parse(run.out).at("verified"), true);
}

INSTANTIATE_TEST_SUITE_P(Forms, VerifyFileForms,
                         ::testing::Values(FormRow{"hex_text", CommandFiles::Form::Hex},
                                           FormRow{"binary_cbor", CommandFiles::Form::Binary},
                                           FormRow{"qr_text_and_pem_key", CommandFiles::Form::QrTextAndPem}),
                         RowName());

TEST(VerifyCommand, PrintsOneObjectWithTheKeysInOrderAndNoPortraitBytes) {
    const CommandFiles files(CommandFiles::Form::Hex);
    const CommandRun run = RunVerify(files.Arguments());
    const nlohmann::ordered_json json = nlohmann::ordered_json::parse(run.out);
    std::vector<std::string> keys;
    for (const auto& item : json.items())
        keys.push_back(item.key());
    EXPECT_EQ(keys, (std::vector<std::string>{"verified", "docType", "issuer", "iaca", "deviceAuth", "validFrom",
                                              "validUntil", "elements", "failures"}));
    EXPECT_EQ(json.at("deviceAuth"), "mac");
    EXPECT_EQ(json.at("validFrom"), "2020-10-01T13:30:02Z");
    const auto& mdl = json.at("elements").at("org.iso.18013.5.1");
    EXPECT_EQ(mdl.at("family_name"), "Doe");
    EXPECT_EQ(mdl.at("expiry_date"), "2024-10-20");
    EXPECT_EQ(mdl.at("portrait").at("length"), 1042);
    EXPECT_EQ(mdl.at("portrait").at("sha256").get<std::string>().size(), 64u);
    EXPECT_EQ(run.out.find(AnnexD("portrait_jpeg").left(16).toHex().toStdString()), std::string::npos);
    EXPECT_TRUE(json.at("failures").empty());
}

struct StatusRow {
    std::string name;
    std::function<QStringList(const CommandFiles&)> arguments;
    int status;
    std::string failure; // for status 1: a code in "failures"
};

class VerifyExitStatus : public ::testing::TestWithParam<StatusRow> {};

TEST_P(VerifyExitStatus, SaysWhatWentWrong) {
    const CommandFiles files(CommandFiles::Form::Hex);
    const CommandRun run = RunVerify(GetParam().arguments(files));
    EXPECT_EQ(run.status, GetParam().status) << run.out << run.err;
    if (GetParam().status == VerifyCommand::kUsageError) {
        EXPECT_TRUE(run.out.empty());
        EXPECT_FALSE(run.err.empty());
        return;
    }
    const nlohmann::json json = nlohmann::json::parse(run.out);
    EXPECT_EQ(json.at("verified"), false);
    EXPECT_NE(std::find(json.at("failures").begin(), json.at("failures").end(), GetParam().failure),
              json.at("failures").end());
}

QStringList Without(QStringList arguments, const char* option) {
    const qsizetype at = arguments.indexOf(QString::fromLatin1(option));
    arguments.remove(at, 2);
    return arguments;
}

QStringList Replacing(QStringList arguments, const char* option, const QString& value) {
    arguments[arguments.indexOf(QString::fromLatin1(option)) + 1] = value;
    return arguments;
}

INSTANTIATE_TEST_SUITE_P(
    Statuses, VerifyExitStatus,
    ::testing::Values(
        StatusRow{"expired_on_a_later_clock", [](const CommandFiles& f) { return f.Arguments("2024-06-01 12:00:00"); },
                  VerifyCommand::kNotVerified, "validity"},
        StatusRow{"changed_response_byte",
                  [](const CommandFiles& f) {
                      QByteArray data = AnnexD("session_data");
                      data[200] = static_cast<char>(data.at(200) ^ 0x80);
                      f.Write("session-data", data);
                      return f.Arguments();
                  },
                  VerifyCommand::kNotVerified, "session-decrypt"},
        StatusRow{"no_trusted_root",
                  [](const CommandFiles& f) { return Replacing(f.Arguments(), "--trust", f.Path("")); },
                  VerifyCommand::kNotVerified, "issuer-untrusted"},
        StatusRow{"missing_session_data",
                  [](const CommandFiles& f) { return Without(f.Arguments(), "--session-data"); },
                  VerifyCommand::kUsageError, ""},
        StatusRow{"missing_now", [](const CommandFiles& f) { return Without(f.Arguments(), "--now"); },
                  VerifyCommand::kUsageError, ""},
        StatusRow{"unknown_option", [](const CommandFiles& f) { return f.Arguments() << QStringLiteral("--fast"); },
                  VerifyCommand::kUsageError, ""},
        StatusRow{"now_without_time",
                  [](const CommandFiles& f) { return Replacing(f.Arguments(), "--now", QStringLiteral("2021-01-01")); },
                  VerifyCommand::kUsageError, ""},
        StatusRow{"unreadable_file",
                  [](const CommandFiles& f) { return Replacing(f.Arguments(), "--establishment", f.Path("nothing")); },
                  VerifyCommand::kUsageError, ""},
        StatusRow{"trust_is_a_file",
                  [](const CommandFiles& f) { return Replacing(f.Arguments(), "--trust", f.Path("engagement")); },
                  VerifyCommand::kUsageError, ""},
        StatusRow{"reader_key_too_short",
                  [](const CommandFiles& f) {
                      f.Write("reader-key", "de188b");
                      return f.Arguments();
                  },
                  VerifyCommand::kUsageError, ""}),
    RowName());

} // namespace
} // namespace MdlTests
