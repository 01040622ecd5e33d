#include "QtText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(QtText, EveryByteComesBackAsItWent) {
    std::string bytes;
    for (int b = 0; b < 256; ++b)
        bytes.push_back(static_cast<char>(b));
    const QString text = QtText::FromBytes(bytes);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(text.at(0xDC), QChar(0x00DC)) << "a Latin-1 letter of a card is that letter on the screen";
    EXPECT_EQ(QtText::ToBytes(text), bytes);
}

TEST(QtText, TypedCharactersOutsideLatin1BecomeQuestionMarks) {
    EXPECT_EQ(QtText::ToBytes(QStringLiteral("caf\u00e9 \u20ac5 \u2713")), "caf\xe9 ?5 ?");
    EXPECT_EQ(QtText::ToBytes(QString::fromUcs4(U"\U0001F600", 1)), "??") << "a surrogate pair is two";
}

} // namespace
