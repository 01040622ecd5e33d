#pragma once
// A test suite with one test PKI (made by the openssl command line, once per suite: it takes seconds) and a
// trust store holding its IACA root.

#include "TestPki.h"
#include "TrustStore.h"

#include <gtest/gtest.h>

#include <memory>

namespace MdlTests {

class PkiSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_pki = std::make_unique<TestPki>();
        s_trust = std::make_unique<Mdl::TrustStore>();
        s_trust->Add(Mdl::TrustStore::ParseDer(s_pki->CertificateDer(QStringLiteral("iaca"))));
    }
    static void TearDownTestSuite() {
        s_trust.reset();
        s_pki.reset();
    }
    void SetUp() override { ASSERT_TRUE(s_pki->Ok()) << "openssl could not make the test PKI"; }

    static inline std::unique_ptr<TestPki> s_pki;
    static inline std::unique_ptr<Mdl::TrustStore> s_trust;
};

} // namespace MdlTests
