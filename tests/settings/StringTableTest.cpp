#include "StringTable.h"

#include <gtest/gtest.h>

TEST(StringTable, TextsThatOtherProgramsAndUsersSee) {
    EXPECT_EQ(Resources::String(102), "Unknown DL");
    EXPECT_EQ(Resources::String(105), "Exp. Date ");
    EXPECT_EQ(Resources::String(111), "SOFTWARE\\Orbelon\\Kestrin");
    EXPECT_EQ(Resources::String(114), "\r\n");
    EXPECT_EQ(Resources::String(139), "Cannot continue.\nPlease reinstall the program!");
    EXPECT_EQ(Resources::String(167),
              R"("DATE & TIME","NAME","AGE","SEX","STATE","CITY","ADDRESS","POSTAL CODE","BIRTHDATE","DL#",)"
              R"("EXPIRATION DATE","ISOIIN","RESTRICTIONS","HEIGHT","WEIGHT","HAIR COLOR","EYE COLOR","DATE",)"
              R"("TIME")"
              "\r\n");
}

TEST(StringTable, UnknownNumberGivesEmptyText) {
    EXPECT_EQ(Resources::String(0), "");
    EXPECT_EQ(Resources::String(104), "");
    EXPECT_EQ(Resources::String(100000), "");
}

TEST(StringTable, PathStringUsesThisPlatformsSeparator) {
    EXPECT_EQ(Resources::String(148), "\\unknowndl.txt");
    EXPECT_EQ(Resources::PathString(148), "/unknowndl.txt");
}
