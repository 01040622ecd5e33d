// The station's side of a session against the test-only holder and issuer with a PKI made by the
// openssl command line: what the station asks for, the age it concludes, and the check that fails for
// each kind of bad certificate, response or message.

#include "FakeHolder.h"
#include "PkiSuite.h"
#include "RowName.h"

#include "MdlCrypto.h"
#include "ReaderSession.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

namespace MdlTests {
namespace {

using namespace Mdl;

constexpr std::time_t kDay = 24 * 3600;

class ReaderSessions : public PkiSuite {
protected:
    static IssueOptions Options(bool over21) {
        IssueOptions options;
        options.elements = TestIssuer::DoorElements(over21);
        options.validFrom = std::time(nullptr) - kDay;
        options.validUntil = std::time(nullptr) + 30 * kDay;
        return options;
    }

    struct Ran {
        MdlOutcome outcome;
        int exchanges = 0;
    };

    // One whole session between the station and `holder`, with the messages passed by hand.
    static Ran RunSession(FakeHolder& holder, std::time_t now = std::time(nullptr), int validAge = 21) {
        const auto engagement = DeviceEngagement::Parse(holder.EngagementBytes());
        EXPECT_TRUE(engagement);
        ReaderSession::Settings settings;
        settings.trust = s_trust.get();
        settings.validAge = validAge;
        settings.now = now;
        settings.today = QDateTime::fromSecsSinceEpoch(now).date();
        auto session = ReaderSession::Start(*engagement, MdlCrypto::GenerateEcKey(NID_X9_62_prime256v1), settings);
        EXPECT_TRUE(session);
        Ran ran;
        QByteArray toHolder = session->Establishment();
        for (int round = 0; round < 4; ++round) {
            const QByteArray reply = holder.OnMessage(toHolder);
            ++ran.exchanges;
            ReaderStep step = session->OnMessage(reply);
            if (step.outcome) {
                holder.OnMessage(step.send);
                ran.outcome = *step.outcome;
                return ran;
            }
            toHolder = step.send;
        }
        ADD_FAILURE() << "the session did not end";
        return ran;
    }
};

std::set<std::string> Codes(const MdlOutcome& outcome) {
    std::set<std::string> codes;
    for (const Failure failure : outcome.result.failures)
        codes.insert(FailureCode(failure));
    return codes;
}

TEST_F(ReaderSessions, AsksForTheDoorsElementsWithoutRetainingAndEndsWithStatus20) {
    const TestIssuer issuer(*s_pki);
    FakeHolder holder(issuer, Options(true));
    const Ran ran = RunSession(holder);
    ASSERT_EQ(holder.requests.size(), 1);
    EXPECT_EQ(holder.requests.first(),
              (QStringList{QStringLiteral("age_over_21"), QStringLiteral("portrait"),
                           QStringLiteral("issuing_jurisdiction"), QStringLiteral("expiry_date")}));
    EXPECT_FALSE(holder.intentToRetain.contains(true));
    EXPECT_EQ(holder.endStatus, std::optional<qint64>(20));
    EXPECT_TRUE(ran.outcome.Verified());
    EXPECT_EQ(ran.outcome.age, MdlOutcome::Age::Over);
    EXPECT_EQ(ran.outcome.jurisdiction, QStringLiteral("US-UT"));
    EXPECT_EQ(ran.outcome.expiry, QDate(2031, 5, 31));
    EXPECT_EQ(ran.outcome.portrait, TestIssuer::Portrait());
}

TEST_F(ReaderSessions, AsksForTheValidAgeInForce) {
    const TestIssuer issuer(*s_pki);
    FakeHolder holder(issuer, Options(true));
    RunSession(holder, std::time(nullptr), 19);
    ASSERT_FALSE(holder.requests.isEmpty());
    EXPECT_EQ(holder.requests.first().first(), QStringLiteral("age_over_19"));
}

TEST_F(ReaderSessions, AWalletWithoutAgeStatementsIsAskedForTheBirthDate) {
    const TestIssuer issuer(*s_pki);
    IssueOptions options = Options(true);
    options.elements.removeFirst();
    const QDate today = QDate::currentDate();
    options.elements.append(
        {QStringLiteral("birth_date"), QCborValue(QCborTag(1004), today.addYears(-21).toString(Qt::ISODate))});
    FakeHolder holder(issuer, options);
    const Ran ran = RunSession(holder);
    ASSERT_EQ(holder.requests.size(), 2);
    EXPECT_TRUE(holder.requests.at(1).contains(QStringLiteral("birth_date")));
    EXPECT_EQ(ran.outcome.age, MdlOutcome::Age::Over) << "21 today";

    options.elements.last().value = QCborValue(QCborTag(1004), today.addYears(-21).addDays(1).toString(Qt::ISODate));
    FakeHolder younger(issuer, options);
    EXPECT_EQ(RunSession(younger).outcome.age, MdlOutcome::Age::Under) << "21 tomorrow";

    options.elements.removeLast();
    FakeHolder silent(issuer, options);
    const Ran unknown = RunSession(silent);
    EXPECT_EQ(silent.requests.size(), 2) << "asked once more, not forever";
    EXPECT_EQ(unknown.outcome.age, MdlOutcome::Age::Unknown);
}

struct PkiRow {
    std::string name;
    std::function<void(IssueOptions&, FakeHolder::Faults&, std::time_t&)> change;
    std::set<std::string> codes;
    MdlOutcome::Age age;
};

class PkiCases : public ReaderSessions, public ::testing::WithParamInterface<PkiRow> {};

TEST_P(PkiCases, EndsWithTheRightChecksFailing) {
    const TestIssuer issuer(*s_pki);
    IssueOptions options = Options(true);
    FakeHolder::Faults faults;
    std::time_t now = std::time(nullptr);
    GetParam().change(options, faults, now);
    if (faults.replay) {
        FakeHolder earlier(issuer, options);
        RunSession(earlier);
        faults.replay = earlier.responses.first();
    }
    FakeHolder holder(issuer, options);
    holder.faults = faults;
    const Ran ran = RunSession(holder, now);
    EXPECT_EQ(Codes(ran.outcome), GetParam().codes) << ran.outcome.result.reasons.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(ran.outcome.age, GetParam().age);
}

using Faults = FakeHolder::Faults;

INSTANTIATE_TEST_SUITE_P(
    Responses, PkiCases,
    ::testing::Values(
        PkiRow{"over_21_device_signature", [](IssueOptions&, Faults&, std::time_t&) {}, {}, MdlOutcome::Age::Over},
        PkiRow{"under_21_device_mac",
               [](IssueOptions& o, Faults&, std::time_t&) {
                   o.elements = TestIssuer::DoorElements(false);
                   o.deviceMac = true;
               },
               {},
               MdlOutcome::Age::Under},
        PkiRow{"expired_document_signer",
               [](IssueOptions& o, Faults&, std::time_t& now) {
                   o.signer = QStringLiteral("ds-short");
                   now += 2 * kDay;
               },
               {"validity"},
               MdlOutcome::Age::Unknown},
        PkiRow{"es384_signer",
               [](IssueOptions& o, Faults&, std::time_t&) { o.signer = QStringLiteral("ds-p384"); },
               {},
               MdlOutcome::Age::Over},
        PkiRow{"es512_signer",
               [](IssueOptions& o, Faults&, std::time_t&) { o.signer = QStringLiteral("ds-p521"); },
               {},
               MdlOutcome::Age::Over},
        PkiRow{"signer_without_mdl_usage",
               [](IssueOptions& o, Faults&, std::time_t&) { o.signer = QStringLiteral("ds-nousage"); },
               {"ds-usage"},
               MdlOutcome::Age::Unknown},
        PkiRow{"signer_under_an_untrusted_root",
               [](IssueOptions& o, Faults&, std::time_t&) { o.signer = QStringLiteral("ds-other"); },
               {"issuer-untrusted"},
               MdlOutcome::Age::Unknown},
        PkiRow{"mso_expired",
               [](IssueOptions& o, Faults&, std::time_t&) { o.validUntil = std::time(nullptr) - 60; },
               {"validity"},
               MdlOutcome::Age::Unknown},
        PkiRow{"mso_not_yet_valid",
               [](IssueOptions& o, Faults&, std::time_t&) { o.validFrom = std::time(nullptr) + 3600; },
               {"validity"},
               MdlOutcome::Age::Unknown},
        PkiRow{
            "document_of_another_type",
            [](IssueOptions& o, Faults&, std::time_t&) { o.docType = o.msoDocType = QStringLiteral("org.example.id"); },
            {"doctype"},
            MdlOutcome::Age::Unknown},
        PkiRow{"mso_signed_for_another_type",
               [](IssueOptions& o, Faults&, std::time_t&) { o.msoDocType = QStringLiteral("org.example.id"); },
               {"doctype"},
               MdlOutcome::Age::Unknown},
        PkiRow{"item_changed_after_signing",
               [](IssueOptions& o, Faults&, std::time_t&) { o.changeItemAfterSigning = true; },
               {"digest"},
               MdlOutcome::Age::Unknown},
        PkiRow{"flipped_ciphertext_bit",
               [](IssueOptions&, Faults& f, std::time_t&) { f.flipCiphertextBit = true; },
               {"session-decrypt"},
               MdlOutcome::Age::Unknown},
        PkiRow{"response_replayed_from_another_session",
               [](IssueOptions&, Faults& f, std::time_t&) { f.replay = QByteArray(); },
               {"device-auth"},
               MdlOutcome::Age::Unknown}),
    RowName());

TEST_F(ReaderSessions, ACounterUsedTwiceIsRejected) {
    const TestIssuer issuer(*s_pki);
    IssueOptions options = Options(true);
    options.elements.removeFirst(); // no age statement: the station asks a second time
    FakeHolder holder(issuer, options);
    holder.faults.reuseCounter = true;
    const Ran ran = RunSession(holder);
    EXPECT_EQ(Codes(ran.outcome), std::set<std::string>{"session-decrypt"});
    EXPECT_EQ(holder.endStatus, std::optional<qint64>(10));
}

} // namespace
} // namespace MdlTests
